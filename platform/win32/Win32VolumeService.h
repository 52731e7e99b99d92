#pragma once

#include <string>
#include <vector>

#include "platform/VolumeService.h"

namespace trovik {

// The drives, as GetLogicalDriveStringsW lists them ("C:\"), each with the label that
// GetVolumeInformationW gives; a drive without a medium has none, and asking never brings up the
// system's "insert a disk" box.
class Win32VolumeService final : public VolumeService {
public:
    std::vector<Volume> mountedVolumes() override;
};

// A drive as Windows' own drive lists show it: the letter in lower case, a colon, and the label in
// brackets when there is one ("c: [SYSTEM]").
std::wstring driveText(const Volume& volume);

}  // namespace trovik
