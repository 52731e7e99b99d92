#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryFile>

// One application object for every window test. Unless the caller chose another platform, Qt's
// offscreen one with two screens side by side: an 800 by 600 primary and a 1024 by 768 one to
// its right (test discovery runs this program without the test environment).
int main(int argc, char* argv[]) {
    QTemporaryFile screens;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((platform.isEmpty() || platform == "offscreen") && screens.open()) {
        screens.write(R"({"windowFrameMargins": false, "screens": [
            {"name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96},
            {"name": "right", "x": 800, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}]})");
        screens.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }
    QLocale::setDefault(QLocale::c());
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
