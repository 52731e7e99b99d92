#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "platform/VolumeService.h"

namespace trovik {

// Each volume's current folder, as a system with drive letters keeps one per drive: the folder
// list returns to it when its volume is chosen again. A volume's current folder is its root until
// the folder list has been on that volume, except that the volume holding the working folder
// starts at the working folder.
class VolumeFolders {
public:
    // The root is added to `volumes` when it is missing, so every absolute folder has a volume.
    VolumeFolders(std::vector<Volume> volumes, const std::filesystem::path& workingFolder);

    [[nodiscard]] const std::vector<Volume>& volumes() const { return m_volumes; }

    // The index of the volume that holds `folder`: the one with the longest mount point above it.
    [[nodiscard]] std::size_t volumeOf(const std::filesystem::path& folder) const;

    [[nodiscard]] const std::filesystem::path& currentFolder(std::size_t volume) const;

    // Makes `folder` the current folder of the volume that holds it.
    void remember(const std::filesystem::path& folder);

    // Where the lists open, in the order to try them: `start`, then its volume's root, then the
    // root of its path. A window falls back quietly from one that cannot be listed to the next,
    // since no box may come before the greeting.
    [[nodiscard]] std::vector<std::filesystem::path> startFolders(
        const std::filesystem::path& start) const;

private:
    std::vector<Volume> m_volumes;
    std::vector<std::filesystem::path> m_current;
};

}  // namespace trovik
