#include "platform/win32/Win32VolumeService.h"

#include <windows.h>

#include <cwctype>

#include "platform/io/Text.h"
#include "platform/win32/WideText.h"

namespace trovik {

std::vector<Volume> Win32VolumeService::mountedVolumes() {
    std::wstring roots(::GetLogicalDriveStringsW(0, nullptr), L'\0');
    const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    roots.resize(length < roots.size() ? length : roots.size());

    // A floppy or card drive without a medium must answer "not ready", not ask for a disk.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    std::vector<Volume> volumes;
    for (std::size_t start = 0; start < roots.size();) {
        const std::size_t end = roots.find(L'\0', start);
        const std::wstring root = roots.substr(start, end - start);
        start = end == std::wstring::npos ? roots.size() : end + 1;
        if (root.empty()) {
            continue;
        }
        wchar_t label[MAX_PATH + 1] = {};
        if (::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                    nullptr, 0) == FALSE) {
            label[0] = L'\0';
        }
        volumes.push_back({root, utf8FromWide(label)});
    }
    ::SetThreadErrorMode(previousMode, nullptr);
    return volumes;
}

std::wstring driveText(const Volume& volume) {
    std::wstring text = volume.root.wstring();
    if (text.size() >= 2 && text[1] == L':') {
        text = {static_cast<wchar_t>(std::towlower(text[0])), L':'};
    }
    if (!volume.label.empty()) {
        text += L" [" + widen(volume.label) + L"]";
    }
    return text;
}

}  // namespace trovik
