#include <windows.h>

#include <filesystem>

#include "platform/io/FileService.h"
#include "platform/win32/Win32MessageBoxService.h"
#include "platform/win32/Win32Screen.h"
#include "platform/win32/Win32VolumeService.h"
#include "window/core/Greeting.h"
#include "window/win32/Form1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace trovik;
    Win32MessageBoxService messages(ApplicationTitle);
    Win32VolumeService volumes;
    Win32ScreenService screens;
    SystemWindowMove move;
    std::error_code ignored;
    Form1 form({messages, systemFileService(), volumes, screens, move, [] { ::ExitProcess(0); },
                std::filesystem::current_path(ignored)});
    if (form.hWnd() == nullptr) {
        // Nothing could be shown: say so, rather than wait on in the background unseen.
        messages.show("The window could not be opened!\r\r" + form.windowError().message(),
                      MessageIcon::Critical);
        return 1;
    }
    form.Form_Load();
    messages.setOwner(form.hWnd());
    form.show();
    return runMessageLoop(form);
}
