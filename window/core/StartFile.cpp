#include "window/core/StartFile.h"

namespace trovik {

StartFile startFile(const std::filesystem::path& argument,
                    const std::filesystem::path& workingFolder) {
    const std::filesystem::path whole = (workingFolder / argument).lexically_normal();
    if (!whole.has_filename()) {
        return {whole, {}};
    }
    return {whole.parent_path(), whole.filename()};
}

std::int64_t indexOfName(const NameList& names, const std::filesystem::path& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names.view(i) == name.native()) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

FileSelection startSelection(const StartFile& file, const std::filesystem::path& listedFolder,
                             const NameList& names) {
    const std::int64_t index = listedFolder == file.folder ? indexOfName(names, file.name) : -1;
    if (index >= 0) {
        return {listedFolder, file.name, index};
    }
    // Not in the list: scanned as named, as a listed file that vanished before the click would be.
    return {file.folder, file.name, file.name.empty() ? -1 : 0};
}

std::optional<std::filesystem::path> droppedFile(
    const std::vector<std::filesystem::path>& dropped) {
    std::error_code unknown;  // a path that cannot be asked about is scanned, and its box says why
    if (dropped.size() != 1 || std::filesystem::is_directory(dropped.front(), unknown)) {
        return std::nullopt;
    }
    return dropped.front();
}

}  // namespace trovik
