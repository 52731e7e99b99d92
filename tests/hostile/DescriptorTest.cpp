// No scan leaves a descriptor open, whatever it met: the process holds as many descriptors after
// ten thousand scans of good and bad paths as before them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "cli/CommandLine.h"
#include "hostile/HostileFiles.h"
#include "scan/ScanCommand.h"
#include "support/TempDir.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::filler;

constexpr int Scans = 10'000;

// Counts the boxes by their icon, and fails every n-th one as a broken box would.
class CountingMessages final : public MessageBoxService {
public:
    int failEvery = 0;
    int critical = 0;
    int information = 0;

    void show(std::string_view, MessageIcon icon) override {
        ++(icon == MessageIcon::Critical ? critical : information);
        if (failEvery != 0 && (critical + information) % failEvery == 0) {
            throw std::runtime_error("the box failed");
        }
    }
};

// Clean and stealer files, and every way a path can fail, in one folder.
std::vector<FileSelection> mixedSelections(const test::TempDir& dir) {
    dir.write("clean.txt", filler(5000));
    dir.write("pws.exe", filler(40000, "SOFTWARE\\Borland\\Delphi\\RTL", 20000));
    dir.write("empty", "");
    dir.write("folder/inside", "x");
    test::makeFifo(dir / "fifo");
    test::makeSocket(dir / "socket");
    fs::create_symlink("nowhere", dir / "dangling");
    fs::create_symlink("loop", dir / "loop");
    std::vector<FileSelection> selections;
    for (const char* name : {"clean.txt", "pws.exe", "empty", "folder", "fifo", "socket",
                             "dangling", "loop", "missing"}) {
        selections.push_back({dir.path(), name, 0});
    }
    selections.push_back({"/dev", "zero", 0});
    selections.push_back({"/proc/self", "status", 0});
    selections.push_back({dir.path(), "", -1});  // nothing selected
    return selections;
}

// The scan command, now and then with a box that fails while the file is open, and trovik-scan
// on four threads over the same folder, walked and named.
TEST(Descriptors, TenThousandMixedScansLeaveNoneOpen) {
    test::TempDir dir;
    const auto selections = mixedSelections(dir);
    CountingMessages messages;
    messages.failEvery = 7;
    int boxFailures = 0;
    const std::vector<std::string> arguments{"trovik-scan",   "-r",       "-j", "4", dir.path(),
                                             dir / "missing", "/dev/zero"};

    const std::size_t before = test::openDescriptorCount();
    for (int i = 0; i < Scans; ++i) {
        try {
            ScanCommand(selections[static_cast<std::size_t>(i) % selections.size()], messages,
                        systemFileService());
        } catch (const std::runtime_error&) {
            ++boxFailures;
        }
        if (i % 500 == 0) {
            std::ostringstream out;
            std::ostringstream err;
            ASSERT_EQ(cli::RunCommandLine(arguments, out, err, systemFileService()),
                      cli::StealerFound);
            const std::string printed = out.str() + err.str();
            // clean.txt, empty, folder/inside, pws.exe; dangling, loop, missing, /dev/zero.
            ASSERT_EQ(std::count(printed.begin(), printed.end(), '\n'), 8) << printed;
        }
    }
    EXPECT_EQ(test::openDescriptorCount(), before);
    EXPECT_EQ(messages.critical + messages.information, Scans);
    EXPECT_GT(messages.information, Scans / 6);  // the clean ones did succeed
    EXPECT_GT(boxFailures, 0);
}

}  // namespace
}  // namespace trovik
