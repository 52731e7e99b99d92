#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessageBoxService.h"
#include "platform/VolumeService.h"
#include "support/TempDir.h"
#include "window/Form1.h"

namespace trovik::test {

struct Shown {
    std::string text;
    MessageIcon icon;

    friend bool operator==(const Shown&, const Shown&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shown& shown) {
        return out << '"' << shown.text << "\" icon " << static_cast<int>(shown.icon);
    }
};

// Records each box instead of showing it.
class RecordingMessages final : public MessageBoxService {
public:
    void show(std::string_view text, MessageIcon icon) override {
        shown.push_back({std::string(text), icon});
    }
    std::vector<Shown> shown;
};

// Offers a fixed list of volumes.
class FixedVolumes final : public VolumeService {
public:
    std::vector<Volume> mountedVolumes() override { return volumes; }
    std::vector<Volume> volumes;
};

// A Form1 over temporary folders, with recorded message boxes and the real file service.
class FormFixture : public testing::Test {
protected:
    TempDir disk;
    RecordingMessages messages;
    FixedVolumes volumes;
    std::unique_ptr<Form1> form;

    void makeForm(const std::filesystem::path& workingFolder);

    // A click of the primary button at `point` (form pixels), delivered to whatever control the
    // user would hit there.
    void clickAt(QPoint point, Qt::MouseButton button = Qt::LeftButton);

    // Selects the file list's entry named `name` with a click, as the user does.
    void selectFile(const std::string& name);

    // Opens the folder list's entry shown as `text` with Enter, or with a double click.
    enum class Gesture { Enter, DoubleClick };
    void openFolder(const std::string& text, Gesture gesture = Gesture::Enter);

    [[nodiscard]] std::vector<std::string> fileNames() const;
    [[nodiscard]] std::vector<std::string> folderTexts() const;
};

}  // namespace trovik::test
