#include <gtest/gtest.h>

#include <algorithm>

#include "support/TempDir.h"
#include "window/core/FolderListing.h"

namespace trovik::test {
namespace {

namespace fs = std::filesystem;

TEST(TidyFolder, IsAbsoluteWithoutDotStepsOrATrailingSeparator) {
    const fs::path root = fs::current_path().root_path();
    const struct {
        fs::path folder;
        fs::path tidy;
    } rows[] = {
        {root / "a" / "." / "b" / ".." / "c" / "", root / "a" / "c"},
        {root / "a" / "..", root},
        {root, root},
        {"x", fs::current_path() / "x"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(tidyFolder(row.folder), row.tidy.lexically_normal()) << row.folder;
    }
}

TEST(FolderErrorText, NamesTheFolderInUtf8AndGivesTheReasonAfterABlankLine) {
    const fs::path folder = fs::current_path().root_path() / fs::path(u8"caf\u00e9");
    const std::u8string name = folder.u8string();
    EXPECT_EQ(FolderErrorText({folder, std::make_error_code(std::errc::no_such_file_or_directory)}),
              std::string(name.begin(), name.end()) +
                  " could not be opened!\r\rNo such file or directory");
}

// The names of one kind, hidden ones left out, in any order; a folder that is not there says so.
TEST(FolderReader, ReadsTheVisibleNamesOfOneKind) {
    TempDir disk;
    for (const char* name : {"b.txt", "A.txt", ".hidden", "sub/x", ".git/x", "Zeta/x"}) {
        disk.write(name, "x");
    }
    const auto read = [&](EntryKind kind) {
        auto reader = FolderReader::open(disk.path(), kind);
        EXPECT_TRUE(reader.ok());
        EXPECT_TRUE(reader.value().read([] { return false; }));
        auto names = std::move(reader.value()).names();
        std::vector<fs::path> found;
        for (std::size_t i = 0; i < names.value().size(); ++i) {
            found.push_back(names.value().name(i));
        }
        std::ranges::sort(found);
        return found;
    };
    EXPECT_EQ(read(EntryKind::File), (std::vector<fs::path>{"A.txt", "b.txt"}));
    EXPECT_EQ(read(EntryKind::Folder), (std::vector<fs::path>{"Zeta", "sub"}));
    EXPECT_EQ(FolderReader::open(disk / "gone", EntryKind::File).error(),
              std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace trovik::test
