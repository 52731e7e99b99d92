#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/io/FileService.h"
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

// Offers a fixed list of volumes.
struct FixedVolumes final : VolumeService {
    std::vector<Volume> volumes;
    std::vector<Volume> mountedVolumes() override { return volumes; }
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

    void SetUp() override {
        disk.write("A/work/report.doc", "clean");
        disk.write("A/work/pws.exe", filler(1000, Signature, 10));
        disk.write("A/work/deeper/inner.exe", "clean");
        disk.write("A/top.exe", filler(1000, Signature, 500));
        disk.write("B/b.bin", "clean");
        disk.write("B/stuff/other.bin", "clean");
        volumes.volumes = {{a, "ALPHA"}, {b, ""}};
        makeForm(a / "work");
    }
    void makeForm(const std::filesystem::path& workingFolder) {
        form = std::make_unique<Form1>(
            FormServices{messages, systemFileService(), volumes, workingFolder});
    }
    // What the user would hit at `point` (form pixels), and the point in its coordinates.
    [[nodiscard]] std::pair<QWidget*, QPoint> hit(QPoint point) const {
        QWidget* target = form->childAt(point) != nullptr ? form->childAt(point) : form.get();
        return {target, target->mapFrom(form.get(), point)};
    }
    void clickAt(QPoint point, Qt::MouseButton button = Qt::LeftButton) {
        const auto [target, at] = hit(point);
        QTest::mouseClick(target, button, {}, at);
    }
    // Selects the file list's entry named `name` with a click, as the user does.
    void selectFile(const std::string& name) {
        const QModelIndex index = form->File1->model()->index(rowOf(fileNames(), name), 0);
        form->File1->scrollTo(index);
        QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                          form->File1->visualRect(index).center());
    }
    // Opens the folder list's entry shown as `text` with Enter, or with a double click (a click
    // followed by a double-click event).
    void openFolder(const std::string& text, bool doubleClick = false) {
        const QModelIndex index = form->Dir1->model()->index(rowOf(folderTexts(), text), 0);
        const QPoint at = form->Dir1->visualRect(index).center();
        if (doubleClick) {
            QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
        } else {
            form->Dir1->setCurrentIndex(index);
            QTest::keyClick(form->Dir1, Qt::Key_Return);
        }
    }
    [[nodiscard]] Names fileNames() const {
        Names names;
        for (int row = 0; row < form->File1->count(); ++row) {
            names.push_back(form->File1->entry(row).name.native());
        }
        return names;
    }
    [[nodiscard]] Names folderTexts() const {
        Names texts;
        for (int row = 0; row < form->Dir1->count(); ++row) {
            texts.push_back(form->Dir1->text(row).toStdString());
        }
        return texts;
    }
    static int rowOf(const Names& rows, const std::string& text) {
        const auto found = std::ranges::find(rows, text);
        EXPECT_NE(found, rows.end()) << "no row " << text;
        return static_cast<int>(found - rows.begin());
    }
    // The three lists on `folder` and its volume.
    void expectChainAt(const std::filesystem::path& folder) {
        EXPECT_EQ(form->browser().dirPath(), folder);
        EXPECT_EQ(form->browser().filePath(), folder);
        EXPECT_EQ(form->Drive1->currentIndex(),
                  folder.native().starts_with(b.native()) ? BRow : ARow);
    }
};

}  // namespace trovik::test
