#include "window/win32/FolderContents.h"

#include <windows.h>

#include <string>

#include "platform/io/FileErrors.h"

namespace trovik {
namespace {

struct FindHandle {
    HANDLE handle;
    ~FindHandle() {
        if (handle != INVALID_HANDLE_VALUE) {
            ::FindClose(handle);
        }
    }
};

// Letter case folded as the system folds it, for the names that are not plain ASCII.
std::u16string foldCase(NameList::View name) {
    std::wstring folded(name);
    ::CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return {folded.begin(), folded.end()};
}

}  // namespace

Result<FolderContents> readFolderContents(const std::filesystem::path& folder) {
    std::wstring pattern = folder.wstring();
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
        pattern += L'\\';
    }
    pattern += L'*';

    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    WIN32_FIND_DATAW entry{};
    const FindHandle find{::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH)};
    const DWORD openError = ::GetLastError();
    ::SetThreadErrorMode(previousMode, nullptr);
    if (find.handle == INVALID_HANDLE_VALUE) {
        // An empty root has no entries at all, not even "." and "..".
        if (openError == ERROR_FILE_NOT_FOUND) {
            return FolderContents{};
        }
        return std::error_code(static_cast<int>(openError), windowsErrorCategory());
    }

    FolderContents contents;
    do {
        const NameList::View name = entry.cFileName;
        if (name == L"." || name == L".." ||
            (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
            continue;
        }
        const bool folderEntry = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!(folderEntry ? contents.folders : contents.files).add(name)) {
            return std::make_error_code(std::errc::not_enough_memory);
        }
        if (!folderEntry) {
            contents.fileNameChars += name.size() + 1;
        }
    } while (::FindNextFileW(find.handle, &entry) != FALSE);
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) {
        return std::error_code(static_cast<int>(error), windowsErrorCategory());
    }
    contents.folders.sortForDisplay(&foldCase);
    contents.files.sortForDisplay(&foldCase);
    return contents;
}

}  // namespace trovik
