#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "window/core/FolderListing.h"

namespace trovik::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> sortedNames(const NameList& names) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        out.push_back(names.name(i).string());
    }
    std::ranges::sort(out);
    return out;
}

// Each kind lists its own entries: dot-names left out, a link counted as what it leads to, a
// dangling link as neither. A folder that cannot be opened says why.
TEST(FolderReader, ListsTheVisibleEntriesOfOneKind) {
    TempDir disk;
    for (const char* name : {"b.txt", ".hidden", "sub/x", ".git/x"}) {
        disk.write(name, "x");
    }
#ifndef _WIN32
    fs::create_symlink(disk / "b.txt", disk / "link-to-b");
    fs::create_symlink(disk / "sub", disk / "link-to-sub");
    fs::create_symlink(disk / "missing", disk / "dangling");
#endif
    const auto listed = [&](EntryKind kind) {
        auto reader = FolderReader::open(disk.path(), kind);
        EXPECT_TRUE(reader);
        EXPECT_TRUE(reader.value().read([] { return false; }));
        auto names = std::move(reader.value()).names();
        return names ? sortedNames(names.value()) : std::vector<std::string>{"failed"};
    };
#ifdef _WIN32
    EXPECT_EQ(listed(EntryKind::File), (std::vector<std::string>{"b.txt"}));
    EXPECT_EQ(listed(EntryKind::Folder), (std::vector<std::string>{"sub"}));
#else
    EXPECT_EQ(listed(EntryKind::File), (std::vector<std::string>{"b.txt", "link-to-b"}));
    EXPECT_EQ(listed(EntryKind::Folder), (std::vector<std::string>{"link-to-sub", "sub"}));
#endif
    const auto missing = FolderReader::open(disk / "missing", EntryKind::File);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), std::errc::no_such_file_or_directory);
}

// A long read stops when asked, every 256 entries, and goes on where it stopped.
TEST(FolderReader, AReadStopsWhenAskedAndGoesOnLater) {
    TempDir disk;
    for (int i = 0; i < 600; ++i) {
        disk.write("f" + std::to_string(i), "");
    }
    auto reader = FolderReader::open(disk.path(), EntryKind::File);
    ASSERT_TRUE(reader);
    int asked = 0;
    EXPECT_FALSE(reader.value().read([&] { return ++asked == 2; }));
    EXPECT_TRUE(reader.value().read([] { return false; }));
    const auto names = std::move(reader.value()).names();
    ASSERT_TRUE(names);
    EXPECT_EQ(names.value().size(), 600U);
}

TEST(TidyFolder, MakesAFolderAbsoluteWithoutDotStepsOrATrailingSeparator) {
    const fs::path root = fs::current_path().root_path();
    EXPECT_EQ(tidyFolder(root / "a" / "." / "b" / ".." / "c" / ""), root / "a" / "c");
    EXPECT_EQ(tidyFolder(root), root);
    EXPECT_EQ(tidyFolder("x"), fs::current_path() / "x");
}

}  // namespace
}  // namespace trovik::test
