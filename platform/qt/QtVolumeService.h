#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/VolumeService.h"

namespace trovik {

// The mounted volumes as Qt's storage information lists them, less the pseudo file systems.
class QtVolumeService final : public VolumeService {
public:
    std::vector<Volume> mountedVolumes() override;
};

// Whether a file system of type `type` mounted at `mountPoint` is one a user would browse: the
// root always is; proc, sysfs, cgroup, devpts and the like are not, nor is anything mounted
// under /proc, /sys or /dev, nor the system's own run-time folders under /run (removable media
// under /run/media are kept).
bool isUserVolume(std::string_view type, const std::filesystem::path& mountPoint);

// The volumes sorted by mount point, each mount point once (the last mount of a point is the one
// in force), with the root first even when it was missing from `volumes`.
std::vector<Volume> tidyVolumes(std::vector<Volume> volumes);

}  // namespace trovik
