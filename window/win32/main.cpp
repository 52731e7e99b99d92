#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/io/FileService.h"
#include "platform/win32/Win32MessageBoxService.h"
#include "platform/win32/Win32Screen.h"
#include "platform/win32/Win32VolumeService.h"
#include "window/core/Greeting.h"
#include "window/core/StartFile.h"
#include "window/win32/Form1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace trovik;
    Win32MessageBoxService messages(ApplicationTitle);
    Win32VolumeService volumes;
    Win32ScreenService screens;
    SystemWindowMove move;
    std::error_code ignored;
    const std::filesystem::path working = std::filesystem::current_path(ignored);
    // The file to start with, if one is given (Explorer's "Scan with trovik", a drop on the
    // program's icon).
    std::optional<StartFile> start;
    if (__argc > 1) {
        start = startFile(__wargv[1], working);
    }
    Form1 form({messages, systemFileService(), volumes, screens, move, [] { ::ExitProcess(0); },
                start ? start->folder : working});
    if (form.hWnd() == nullptr) {
        // Nothing could be shown: say so, rather than wait on in the background unseen.
        messages.show("The window could not be opened!\r\r" + form.windowError().message(),
                      MessageIcon::Critical);
        return 1;
    }
    form.Form_Load();
    messages.setOwner(form.hWnd());
    form.show();
    if (start) {
        form.scanStartFile(*start);
    }
    return runMessageLoop(form);
}
