#include "window/FolderListing.h"

namespace trovik {

std::string FolderErrorText(const FolderError& failure) {
    const std::u8string folder = failure.folder.u8string();
    std::string text(folder.begin(), folder.end());
    text += " could not be opened!\r\r";
    text += failure.error.message();
    return text;
}

Result<std::vector<std::filesystem::path>> listEntries(const std::filesystem::path& folder,
                                                       EntryKind kind) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return error;
    }
    std::vector<std::filesystem::path> names;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::directory_entry& entry = *entries;
        std::filesystem::path name = entry.path().filename();
        if (name.native().starts_with('.')) {
            continue;
        }
        std::error_code ignored;  // an entry whose kind cannot be told is not listed
        const bool wanted = kind == EntryKind::Folder ? entry.is_directory(ignored)
                                                      : entry.is_regular_file(ignored);
        if (wanted) {
            names.push_back(std::move(name));
        }
    }
    if (error) {
        return error;
    }
    return names;
}

}  // namespace trovik
