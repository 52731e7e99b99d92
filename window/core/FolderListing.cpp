#include "window/core/FolderListing.h"

#include "platform/io/Text.h"

namespace trovik {

std::string folderErrorText(const FolderError& failure) {
    std::string text = utf8String(failure.folder.u8string());
    text += " could not be opened!\r\r";
    text += failure.error.message();
    return text;
}

std::filesystem::path tidyFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error) {
        absolute = folder;
    }
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) {
        absolute = absolute.parent_path();  // "/home/user/" -> "/home/user"
    }
    return absolute;
}

Result<FolderReader> FolderReader::open(const std::filesystem::path& folder, EntryKind kind) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return error;
    }
    return FolderReader(std::move(entries), kind);
}

bool FolderReader::take(const std::filesystem::directory_entry& entry) {
#ifdef _WIN32
    constexpr NameList::View separators = L"\\/";
#else
    constexpr NameList::View separators = "/";
#endif
    // The entry's path is the folder joined with the name: the name follows the last separator.
    // Taken in place, without a path of its own.
    const NameList::View path = entry.path().native();
    const NameList::View name = path.substr(path.find_last_of(separators) + 1);
    if (name.starts_with('.')) {
        return true;
    }
    std::error_code ignored;  // an entry whose kind cannot be told is not listed
    const bool wanted =
        m_kind == EntryKind::Folder ? entry.is_directory(ignored) : entry.is_regular_file(ignored);
    return !wanted || m_names.add(name);
}

Result<NameList> FolderReader::names() && {
    if (m_error) {
        return m_error;
    }
    return std::move(m_names);
}

}  // namespace trovik
