#include "window/win32/FolderContents.h"

#include <windows.h>

#include <string>

#include "platform/io/FolderEntries.h"

namespace trovik {
namespace {

// Letter case folded as the system folds it, for the names that are not plain ASCII.
std::u16string foldCase(NameList::View name) {
    std::wstring folded(name);
    ::CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return {folded.begin(), folded.end()};
}

}  // namespace

Result<FolderContents> readFolderContents(const std::filesystem::path& folder) {
    FolderContents contents;
    const std::error_code error =
        readFolderEntries(folder, [&](std::wstring_view name, std::uint32_t attributes) {
            if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
                return std::error_code();
            }
            const bool folderEntry = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (!(folderEntry ? contents.folders : contents.files).add(name)) {
                return std::make_error_code(std::errc::not_enough_memory);
            }
            if (!folderEntry) {
                contents.fileNameChars += name.size() + 1;
            }
            return std::error_code();
        });
    if (error) {
        return error;
    }
    contents.folders.sortForDisplay(&foldCase);
    contents.files.sortForDisplay(&foldCase);
    return contents;
}

}  // namespace trovik
