#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace trovik {

// A mounted file system the user can browse: where it is mounted, and its label (empty when it
// has none). The label is UTF-8.
struct Volume {
    std::filesystem::path root;
    std::string label;

    friend bool operator==(const Volume&, const Volume&) = default;
};

// Whether `path` is `folder` or lies under it, step by step: "/homework" is not under "/home".
inline bool isUnder(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto [end, ignored] =
        std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return end == folder.end();
}

// Puts a volume for `root` first in `volumes` when none is mounted there, so that every folder
// under `root` has a volume.
inline void addRootVolume(std::vector<Volume>& volumes, const std::filesystem::path& root) {
    if (std::ranges::none_of(volumes, [&](const Volume& volume) { return volume.root == root; })) {
        volumes.insert(volumes.begin(), Volume{root, {}});
    }
}

// Lists the volumes a user would recognise: the root and the real file systems, not the
// system's pseudo file systems.
class VolumeService {
public:
    virtual ~VolumeService() = default;
    virtual std::vector<Volume> mountedVolumes() = 0;
};

}  // namespace trovik
