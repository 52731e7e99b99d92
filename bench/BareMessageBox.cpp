// The bare Qt program trovik's start-up is timed against: it shows one message box.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QMessageBox::information(nullptr, QStringLiteral("Bare"), QStringLiteral("Hello!"));
    return 0;
}
