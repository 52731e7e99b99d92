#include <gtest/gtest.h>

#include "window/core/FolderListing.h"
#include "window/core/VolumeFolders.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;

// Folders under the system's root ("/", or the drive of the working folder on Windows).
const fs::path Root = tidyFolder(fs::current_path()).root_path();
fs::path at(const char* relative) {
    return tidyFolder(Root / fs::path(relative).make_preferred());
}

// Each folder belongs to the volume mounted deepest above it; the working volume starts at the
// working folder, the others at their roots, and each keeps the folder last remembered on it.
TEST(VolumeFolders, AFolderBelongsToTheDeepestVolumeAboveItAndEachKeepsItsCurrentFolder) {
    VolumeFolders folders({{at("home"), ""}, {at("media/usb"), "STICK"}, {at("media/usb/in"), ""}},
                          Root / "home" / "u" / "work" / "");
    ASSERT_EQ(folders.volumes().size(), 4U);  // the root is added
    const struct {
        const char* folder;
        const char* volume;
    } cases[] = {{"", ""},
                 {"homework", ""},  // a name that merely begins like a mount point
                 {"home", "home"},
                 {"media/usb/in/x", "media/usb/in"},
                 {"media/usb/inner", "media/usb"}};
    for (const auto& c : cases) {
        EXPECT_EQ(folders.volumes()[folders.volumeOf(at(c.folder))].root, at(c.volume)) << c.folder;
    }

    const auto currentOf = [&](const char* volume) {
        return folders.currentFolder(folders.volumeOf(at(volume)));
    };
    EXPECT_EQ(currentOf("home"), at("home/u/work"));
    folders.remember(Root / "media" / "usb" / "x" / ".." / "y");
    EXPECT_EQ(currentOf("media/usb"), at("media/usb/y"));
    EXPECT_EQ(currentOf("home"), at("home/u/work"));
    // (Where the lists fall back to when the start cannot be listed is the browser's test's.)
}

}  // namespace
}  // namespace trovik
