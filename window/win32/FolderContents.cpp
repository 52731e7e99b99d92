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

Result<NameList> readFolderContents(const std::filesystem::path& folder, EntryKind kind) {
    const bool folders = kind == EntryKind::Folder;
    NameList names;
    const std::error_code error =
        readFolderEntries(folder, [&](std::wstring_view name, std::uint32_t attributes) {
            if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 ||
                ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folders) {
                return std::error_code();
            }
            return names.add(name) ? std::error_code()
                                   : std::make_error_code(std::errc::not_enough_memory);
        });
    if (error) {
        return error;
    }
    names.sortForDisplay(&foldCase);
    return names;
}

}  // namespace trovik
