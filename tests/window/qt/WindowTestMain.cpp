#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

// One application object for every window test, on the offscreen platform unless the caller
// chose another (test discovery runs this program without the test environment).
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QLocale::setDefault(QLocale::c());
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
