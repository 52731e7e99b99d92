#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/VolumeService.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "window/qt/DirListBox.h"
#include "window/qt/DriveListBox.h"
#include "window/qt/FileListBox.h"
#include "window/qt/Form1.h"
#include "window/qt/FormLabel.h"

namespace trovik::test {

inline const std::string Signature = "cHaNgE yOuR pAsSwOrD";
using Names = std::vector<std::string>;

inline Shown stealer(const std::string& name) {
    return {name + " is a PASSWORD STEALER!", MessageIcon::Critical};
}
// The box for a folder that could not be opened.
inline Shown openFailure(const std::filesystem::path& folder, const std::string& reason) {
    return {folder.native() + " could not be opened!\r\r" + reason, MessageIcon::Critical};
}

// Offers a fixed list of volumes.
class FixedVolumes final : public VolumeService {
public:
    std::vector<Volume> mountedVolumes() override { return volumes; }
    std::vector<Volume> volumes;
};

// A Form1 over temporary folders, with recorded message boxes and the real file service: volumes
// A and B, each a temporary folder; the program starts in A/work. The drive list's rows: the root
// first (the volume service did not offer it), then A and B.
class FormFixture : public testing::Test {
protected:
    TempDir disk;
    RecordingMessageBox messages;
    FixedVolumes volumes;
    std::unique_ptr<Form1> form;
    std::filesystem::path a = disk / "A";
    std::filesystem::path b = disk / "B";
    static constexpr int ARow = 1;
    static constexpr int BRow = 2;

    void SetUp() override;
    void makeForm(const std::filesystem::path& workingFolder);

    // A click at `point` (form pixels), delivered to whatever control the user would hit there.
    void clickAt(QPoint point, Qt::MouseButton button = Qt::LeftButton);
    void chooseVolume(int row) { form->Drive1->setCurrentIndex(row); }
    // Selects the file list's entry at `row`, or named `name`, with a click, as the user does.
    void selectRow(int row);
    void selectFile(const std::string& name);
    // Opens the folder list's entry shown as `text` with Enter, or with a double click.
    void openFolder(const std::string& text, bool doubleClick = false);
    // Clicks the white caption and returns the one box that came up.
    Shown scan();
    Shown scanFile(const std::string& name) {
        selectFile(name);
        return scan();
    }
    [[nodiscard]] Names fileNames() const;
    [[nodiscard]] Names folderTexts() const;
    // The three lists on `folder` and its volume.
    void expectChainAt(const std::filesystem::path& folder);
};

}  // namespace trovik::test
