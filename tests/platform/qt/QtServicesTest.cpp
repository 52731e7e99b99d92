#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <optional>

#include "platform/qt/Display.h"
#include "platform/qt/QtMessageBoxService.h"
#include "platform/qt/QtVolumeService.h"

namespace trovik {
namespace {

// What the box showed, read while it was up; the box is then dismissed with its OK button.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    Qt::TextFormat format = Qt::AutoText;
    bool modal = false;
    int labelHeight = 0;
};

std::optional<SeenBox> showAndDismiss(std::string_view text, MessageIcon icon) {
    std::optional<SeenBox> seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        seen = SeenBox{box->text(),
                       box->windowTitle(),
                       box->icon(),
                       static_cast<int>(box->buttons().size()),
                       box->textFormat(),
                       box->isModal(),
                       label != nullptr ? label->sizeHint().height() : 0};
        box->button(QMessageBox::Ok)->click();
    });
    QtMessageBoxService("trovik by -zelvo-").show(text, icon);
    return seen;
}

TEST(QtMessageBoxService, ShowsAModalPlainTextBoxWithOneOkButtonTheIconAndTheTitle) {
    const auto oneLine = showAndDismiss("first", MessageIcon::Information);
    ASSERT_TRUE(oneLine.has_value()) << "no box came up";
    for (const auto& [icon, shown] :
         {std::pair{MessageIcon::Critical, QMessageBox::Critical},
          std::pair{MessageIcon::Information, QMessageBox::Information}}) {
        // A carriage return breaks the line; a name that looks like markup shows as it is.
        const auto seen = showAndDismiss("first\r\r<b>x</b>.exe is CLEAN!", icon);
        ASSERT_TRUE(seen.has_value()) << "no box came up";
        EXPECT_EQ(seen->text, QStringLiteral("first\n\n<b>x</b>.exe is CLEAN!"));
        EXPECT_GE(seen->labelHeight, 2 * oneLine->labelHeight);
        EXPECT_EQ(seen->format, Qt::PlainText);
        EXPECT_EQ(seen->title, QStringLiteral("trovik by -zelvo-"));
        EXPECT_EQ(seen->icon, shown);
        EXPECT_EQ(seen->buttons, 1);
        EXPECT_TRUE(seen->modal);
    }
}

TEST(MessageBoxText, DecodesNamesAsTheSystemDoes) {
    EXPECT_EQ(messageBoxText("caf\xc3\xa9.exe is CLEAN!"), QStringLiteral("café.exe is CLEAN!"));
    EXPECT_EQ(messageBoxText("a\r\nb\rc"), QStringLiteral("a\nb\nc"));
    // Bytes that are not UTF-8 cannot be shown as they are, but the rest of the text is.
    const QString latin1 = messageBoxText("caf\xe9.exe is a PASSWORD STEALER!");
    EXPECT_TRUE(latin1.startsWith(QStringLiteral("caf")));
    EXPECT_TRUE(latin1.endsWith(QStringLiteral(".exe is a PASSWORD STEALER!")));
}

TEST(IsUserVolume, KeepsRealFileSystemsAndLeavesOutPseudoOnes) {
    const struct {
        const char* type;
        const char* mountPoint;
        bool user;
    } cases[] = {
        {"overlay", "/", true},
        {"vfat", "/media/u/STICK", true},
        {"vfat", "/run/media/u/STICK", true},
        {"nfs4", "/srv/share", true},
        {"proc", "/proc", false},
        {"sysfs", "/sys", false},
        {"cgroup2", "/sys/fs/cgroup", false},
        {"devpts", "/dev/pts", false},
        {"tmpfs", "/run", false},
        {"ext4", "/run/user/1000", false},
        {"ext4", "/proc/driver/x", false},
        {"squashfs", "/snap/core/1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isUserVolume(c.type, c.mountPoint), c.user) << c.type << " " << c.mountPoint;
    }
}

TEST(TidyVolumes, SortsKeepsTheLastMountOfAPointAndPutsTheRootFirst) {
    const std::vector<Volume> tidy =
        tidyVolumes({{"/media/b", "OLD"}, {"/home", ""}, {"/media/b", "NEW"}});
    EXPECT_EQ(tidy, (std::vector<Volume>{{"/", ""}, {"/home", ""}, {"/media/b", "NEW"}}));
}

TEST(QtVolumeService, ListsTheRootFirstAndNoPseudoFileSystem) {
    const std::vector<Volume> volumes = QtVolumeService().mountedVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().root, "/");
    for (const Volume& volume : volumes) {
        EXPECT_FALSE(volume.root.native().starts_with("/proc")) << volume.root;
        EXPECT_FALSE(volume.root.native().starts_with("/sys")) << volume.root;
        EXPECT_TRUE(std::filesystem::is_directory(volume.root)) << volume.root;
    }
}

TEST(MissingDisplay, TellsWhenNoDisplayCanBeReached) {
    const struct {
        const char* platform;
        const char* display;
        const char* wayland;
        bool missing;
    } cases[] = {
        {nullptr, nullptr, nullptr, true},      {nullptr, "", "", true},
        {nullptr, ":0", nullptr, false},        {nullptr, nullptr, "wayland-0", false},
        {"offscreen", nullptr, nullptr, false}, {"xcb", nullptr, "wayland-0", true},
        {"wayland", ":0", nullptr, true},       {"xcb", ":1", nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(missingDisplay(c.platform, c.display, c.wayland).has_value(), c.missing)
            << "row " << &c - cases;
    }
}

TEST(ShouldPreferXWayland, ChoosesX11OnlyInAWaylandSessionWithXWayland) {
    const struct {
        const char* platform;
        const char* display;
        const char* waylandDisplay;
        const char* sessionType;
        bool prefersXWayland;
    } rows[] = {
        {nullptr, ":0", "wayland-0", "wayland", true},      // Wayland with XWayland
        {nullptr, ":0", nullptr, "wayland", true},          // the session type alone tells
        {nullptr, nullptr, "wayland-0", "wayland", false},  // no XWayland
        {nullptr, ":0", nullptr, "x11", false},
        {"wayland", ":0", "wayland-0", "wayland", false},  // the platform chosen by the user
        {"", ":0", "wayland-0", "wayland", true},          // an empty platform is no choice
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            ShouldPreferXWayland(row.platform, row.display, row.waylandDisplay, row.sessionType),
            row.prefersXWayland)
            << "row " << &row - rows;
    }
}

}  // namespace
}  // namespace trovik
