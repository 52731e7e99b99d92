// Prints, as UTF-8, the text of the message box titled as the argument, waiting up to ten seconds
// for one; given a window class too, prints where wine places that window instead: "left top".
// The end-to-end test reads trovik.exe through it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/io/Text.h"

namespace {

BOOL CALLBACK takeText(HWND control, LPARAM found) {
    wchar_t kind[16] = {};
    wchar_t text[4096] = {};
    ::GetClassNameW(control, kind, 16);
    if (::lstrcmpiW(kind, L"Static") == 0 && ::GetWindowTextW(control, text, 4096) > 0) {
        *reinterpret_cast<std::wstring*>(found) = text;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (RECT place{}; argc == 3) {
        const HWND window = ::FindWindowW(argv[2], argv[1]);
        if (window == nullptr || ::GetWindowRect(window, &place) == FALSE)
            return 1;
        std::printf("%ld %ld", place.left, place.top);
        return 0;
    }
    for (int tries = 0; argc == 2 && tries < 100; ++tries, ::Sleep(100)) {
        if (HWND box = ::FindWindowW(L"#32770", argv[1]); box != nullptr) {
            std::wstring text;
            ::EnumChildWindows(box, &takeText, reinterpret_cast<LPARAM>(&text));
            const std::string shown = trovik::utf8FromWide(text);
            std::fwrite(shown.data(), 1, shown.size(), stdout);
            return 0;
        }
    }
    return 1;
}
