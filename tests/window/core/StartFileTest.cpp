#include <gtest/gtest.h>

#include <vector>

#include "window/core/StartFile.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;

// The root and the working folder as this system writes them.
const fs::path Root = fs::current_path().root_path();
const fs::path Work = Root / "work" / "here";

TEST(StartFile, APathGivenIsSplitIntoTheFolderToOpenAndTheName) {
    struct Row {
        fs::path argument;
        fs::path folder;
        fs::path name;
    };
    for (const auto& [argument, folder, name] : std::vector<Row>{
             {"setup.exe", Work, "setup.exe"},
             {fs::path("..") / "x", Root / "work", "x"},
             {Root / "other" / "y", Root / "other", "y"},
             {Root / "other" / "", Root / "other" / "", ""},  // a folder: no name
         }) {
        const StartFile file = startFile(argument, Work);
        EXPECT_EQ(file.folder, folder) << argument;
        EXPECT_EQ(file.name, name) << argument;
    }
}

// The entry shown is what is scanned when the list shows it; otherwise the file as named, so that
// the scan's own box tells what became of it.
TEST(StartFile, TheListedEntryIsChosenElseTheFileAsNamed) {
    NameList names;
    for (const char* name : {"a.txt", "b.exe", "c"}) {
        ASSERT_TRUE(names.add(fs::path(name).native()));
    }
    const StartFile listed{Work, "b.exe"};
    struct Row {
        StartFile file;
        fs::path listedFolder;
        FileSelection expected;
    };
    for (const auto& [file, listedFolder, expected] : std::vector<Row>{
             {listed, Work, {Work, "b.exe", 1}},
             {{Work, "gone"}, Work, {Work, "gone", 0}},
             {listed, Root, {Work, "b.exe", 0}},  // its folder could not be listed
             {{Work, ""}, Work, {Work, "", -1}},  // no file named: "No file selected!"
         }) {
        const FileSelection chosen = startSelection(file, listedFolder, names);
        EXPECT_EQ(chosen.Path, expected.Path) << file.name;
        EXPECT_EQ(chosen.FileName, expected.FileName) << file.name;
        EXPECT_EQ(chosen.ListIndex, expected.ListIndex) << file.name;
    }
    EXPECT_EQ(indexOfName(names, "C"), -1);
}

// One file dropped opens; several, or a folder, are passed over.
TEST(StartFile, OnlyADropOfOneFileOpensIt) {
    const fs::path folder = fs::temp_directory_path();
    const fs::path missing = folder / "trovik-no-such-file";
    EXPECT_EQ(droppedFile({missing}), missing);  // its scan's box will say it is gone
    EXPECT_EQ(droppedFile({folder}), std::nullopt);
    EXPECT_EQ(droppedFile({missing, missing}), std::nullopt);
}

}  // namespace
}  // namespace trovik
