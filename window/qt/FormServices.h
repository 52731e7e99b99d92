#pragma once

#include <filesystem>

#include "platform/MessageBoxService.h"
#include "platform/VolumeService.h"
#include "platform/io/FileService.h"

namespace trovik {

// What Form1 needs from the system, passed in so that tests can stand in for each service. The
// services must outlive the form.
struct FormServices {
    MessageBoxService& messages;
    FileService& files;
    VolumeService& volumes;
    // The folder the lists start in; the root when empty.
    std::filesystem::path workingFolder;
};

}  // namespace trovik
