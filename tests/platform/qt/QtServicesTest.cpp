#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
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
    qsizetype buttons = 0;
    bool plainModal = false;
    int labelHeight = 0;
    int width = 0;
};

std::optional<SeenBox> showAndDismiss(std::string_view text, MessageIcon icon) {
    std::optional<SeenBox> seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            seen = SeenBox{box->text(),
                           box->windowTitle(),
                           box->icon(),
                           box->buttons().size(),
                           box->textFormat() == Qt::PlainText && box->isModal(),
                           box->findChild<QLabel*>("qt_msgbox_label")->sizeHint().height(),
                           box->width()};
            box->button(QMessageBox::Ok)->click();
        }
    });
    QtMessageBoxService("trovik by -zelvo-").show(text, icon);
    return seen;
}

TEST(QtMessageBoxService, ShowsAModalPlainTextBoxWithOneOkButtonTheIconAndTheWholeTitle) {
    const auto oneLine = showAndDismiss("x", MessageIcon::Information);
    ASSERT_TRUE(oneLine.has_value()) << "no box came up";
    // A short text still leaves the title bar room for the bold title and the frame's buttons.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    EXPECT_GE(oneLine->width, QFontMetrics(titleFont).horizontalAdvance(oneLine->title) + 100);
    for (const auto& [icon, shown] :
         {std::pair{MessageIcon::Critical, QMessageBox::Critical},
          std::pair{MessageIcon::Information, QMessageBox::Information}}) {
        // A carriage return breaks the line; a name that looks like markup shows as it is.
        const auto seen = showAndDismiss("first\r\r<b>x</b>.exe is CLEAN!", icon);
        ASSERT_TRUE(seen.has_value()) << "no box came up";
        EXPECT_EQ(seen->text, QStringLiteral("first\n\n<b>x</b>.exe is CLEAN!"));
        EXPECT_GE(seen->labelHeight, 2 * oneLine->labelHeight);
        EXPECT_EQ(seen->title, QStringLiteral("trovik by -zelvo-"));
        EXPECT_EQ(seen->icon, shown);
        EXPECT_EQ(seen->buttons, 1);
        EXPECT_TRUE(seen->plainModal);
    }
}

TEST(MessageBoxText, DecodesNamesAsTheSystemDoes) {
    EXPECT_EQ(messageBoxText("caf\xc3\xa9.exe\r\nb\rc"), QStringLiteral("café.exe\nb\nc"));
    // Bytes that are not UTF-8 cannot be shown as they are, but the rest of the text is.
    EXPECT_EQ(messageBoxText("caf\xe9.exe is CLEAN!").remove(QChar::ReplacementCharacter),
              QStringLiteral("caf.exe is CLEAN!"));
}

TEST(QtVolumes, KeepRealFileSystemsOnceEachRootFirstAndLeaveOutPseudoOnes) {
    const struct {
        const char* type;
        const char* mountPoint;
        bool user;
    } cases[] = {
        {"overlay", "/", true},
        {"vfat", "/media/u/STICK", true},
        {"vfat", "/run/media/u/S", true},
        {"nfs4", "/srv/share", true},
        {"proc", "/proc", false},
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
    EXPECT_EQ(tidyVolumes({{"/media/b", "OLD"}, {"/home", ""}, {"/media/b", "NEW"}}),
              (std::vector<Volume>{{"/", ""}, {"/home", ""}, {"/media/b", "NEW"}}));
}

TEST(Display, TellsWhenNoDisplayCanBeReachedAndWhenToPreferXWayland) {
    const struct {
        const char* platform;
        const char* display;
        const char* wayland;
        const char* session;
        bool missing;
        bool preferX;
    } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, true, false},
        {nullptr, "", "", "", true, false},
        {nullptr, ":0", nullptr, "x11", false, false},
        {nullptr, nullptr, "wayland-0", "wayland", false, false},  // no XWayland
        {nullptr, ":0", "wayland-0", "wayland", false, true},
        {nullptr, ":0", nullptr, "wayland", false, true},  // the session type alone tells
        {"", ":0", "wayland-0", nullptr, false, true},     // an empty platform is no choice
        {"offscreen", nullptr, nullptr, nullptr, false, false},
        {"xcb", nullptr, "wayland-0", "wayland", true, false},
        {"wayland", ":0", nullptr, "wayland", true, false},  // the platform chosen by the user
        {"xcb", ":1", nullptr, nullptr, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(missingDisplay(c.platform, c.display, c.wayland).has_value(), c.missing)
            << "row " << &c - cases;
        EXPECT_EQ(ShouldPreferXWayland(c.platform, c.display, c.wayland, c.session), c.preferX)
            << "row " << &c - cases;
    }
}

}  // namespace
}  // namespace trovik
