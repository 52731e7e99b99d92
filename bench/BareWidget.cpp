// The bare Qt program trovik's peak memory is measured against: one empty window of trovik's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(265, 220);
    window.show();
    return QApplication::exec();
}
