#include <QApplication>
#include <filesystem>
#include <iostream>
#include <optional>

#include "platform/io/FileService.h"
#include "platform/qt/Display.h"
#include "platform/qt/QtMessageBoxService.h"
#include "platform/qt/QtVolumeService.h"
#include "window/core/Greeting.h"
#include "window/core/StartFile.h"
#include "window/qt/Form1.h"

int main(int argc, char* argv[]) {
    trovik::preferXWayland();
    if (const auto why = trovik::missingDisplay()) {
        std::cerr << "trovik: " << *why << '\n';
        return 1;
    }
    // Qt takes its own options out of the arguments; what is left is the file to start with, if
    // any, as the bytes it was given.
    QApplication application(argc, argv);
    trovik::QtMessageBoxService messages(trovik::ApplicationTitle);
    trovik::QtVolumeService volumes;
    std::error_code noWorkingFolder;  // then the lists start at the root
    const std::filesystem::path working = std::filesystem::current_path(noWorkingFolder);
    std::optional<trovik::StartFile> start;
    if (argc > 1) {
        start = trovik::startFile(argv[1], working);
    }
    trovik::Form1 form(
        {messages, trovik::systemFileService(), volumes, start ? start->folder : working});
    form.Form_Load();
    form.show();
    if (start) {
        form.scanStartFile(*start);
    }
    return QApplication::exec();
}
