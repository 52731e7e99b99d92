#pragma once

#include <filesystem>

namespace trovik {

// The full path of the file `name` in `folder`: the folder, one separator unless the folder
// already ends with one (a root such as "/" or "C:\"), then the name. It does not look at the
// file system.
std::filesystem::path BuildTargetPath(const std::filesystem::path& folder,
                                      const std::filesystem::path& name);

}  // namespace trovik
