#include "platform/io/FolderEntries.h"

#include <windows.h>

#include <string>

#include "platform/io/FileErrors.h"
#include "platform/io/SystemPath.h"

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

std::error_code windowsError(DWORD value) {
    return {static_cast<int>(value), windowsErrorCategory()};
}

}  // namespace

std::error_code readFolderEntries(const std::filesystem::path& folder,
                                  const FolderEntrySink& take) {
    std::wstring pattern = systemPath(folder);
    if (pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';

    // No box about a drive without a disk: an error, as for any other folder.
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
        return openError == ERROR_FILE_NOT_FOUND ? std::error_code() : windowsError(openError);
    }
    do {
        const std::wstring_view name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if (const std::error_code stop = take(name, entry.dwFileAttributes)) {
            return stop;
        }
    } while (::FindNextFileW(find.handle, &entry) != FALSE);
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? std::error_code() : windowsError(error);
}

}  // namespace trovik
