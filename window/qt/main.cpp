#include <QApplication>
#include <filesystem>
#include <iostream>

#include "platform/io/FileService.h"
#include "platform/qt/Display.h"
#include "platform/qt/QtMessageBoxService.h"
#include "platform/qt/QtVolumeService.h"
#include "window/core/Greeting.h"
#include "window/qt/Form1.h"

int main(int argc, char* argv[]) {
    trovik::preferXWayland();
    if (const auto why = trovik::missingDisplay()) {
        std::cerr << "trovik: " << *why << '\n';
        return 1;
    }
    QApplication application(argc, argv);
    trovik::QtMessageBoxService messages(trovik::ApplicationTitle);
    trovik::QtVolumeService volumes;
    std::error_code noWorkingFolder;  // then the lists start at the root
    trovik::Form1 form({messages, trovik::systemFileService(), volumes,
                        std::filesystem::current_path(noWorkingFolder)});
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
