#pragma once

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

// Lists the volumes a user would recognise: the root and the real file systems, not the
// system's pseudo file systems.
class VolumeService {
public:
    virtual ~VolumeService() = default;
    virtual std::vector<Volume> mountedVolumes() = 0;
};

}  // namespace trovik
