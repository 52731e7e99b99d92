#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/MessageBoxService.h"
#include "platform/io/FileService.h"
#include "scan/ScanVerdict.h"

namespace trovik {

// What the file list offers the scan: its folder, the selected entry's bare name, and the
// selected index, negative when nothing is selected.
struct FileSelection {
    std::filesystem::path Path;
    std::filesystem::path FileName;
    std::int64_t ListIndex = -1;
};

// The text and icon of the box that reports `verdict` for the file shown as `name`.
struct VerdictMessage {
    std::string text;
    MessageIcon icon = MessageIcon::Information;
};
VerdictMessage messageForVerdict(const std::filesystem::path& name, const ScanVerdict& verdict);

// Scans the selected file and tells the user the verdict in one message box, or that no file is
// selected. The file is open while the box is up and closed before the command returns.
void ScanCommand(const FileSelection& selection, MessageBoxService& messages, FileService& files);

}  // namespace trovik
