#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <tuple>

#include "platform/qt/Display.h"
#include "platform/qt/QtMessageBoxService.h"
#include "platform/qt/QtVolumeService.h"

namespace trovik {
namespace {

// A box is shown and looked at while it is up, then dismissed with its OK button. That the box
// leaves room for its whole title is held by the end-to-end test, under openbox itself.
TEST(QtMessageBoxService, ShowsAModalPlainTextBoxWithOneOkButtonTheIconAndTheWholeTitle) {
    for (const auto& [icon, shown] :
         {std::pair{MessageIcon::Critical, QMessageBox::Critical},
          std::pair{MessageIcon::Information, QMessageBox::Information}}) {
        QTimer::singleShot(0, [&, shown = shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr) << "no box came up";
            EXPECT_EQ(QString(box->text()).remove(QChar::ReplacementCharacter),
                      QStringLiteral("café\n<b>x</b>.exe\nis CLEAN!"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("trovik by -zelvo-"));
            EXPECT_EQ(box->icon(), shown);
            EXPECT_EQ(box->buttons().size(), 1);
            EXPECT_TRUE(box->textFormat() == Qt::PlainText && box->isModal());
            box->button(QMessageBox::Ok)->click();
        });
        // A carriage return, alone or before a line feed, breaks the line; a name is decoded as
        // the system decodes names (bytes that are not UTF-8 cannot show as they are, but the rest
        // does), and one that looks like markup shows as it is.
        QtMessageBoxService("trovik by -zelvo-")
            .show("caf\xc3\xa9\r\n<b>x</b>\xe9.exe\ris CLEAN!", icon);
    }
}

TEST(QtVolumes, KeepRealFileSystemsOnceEachRootFirstAndLeaveOutPseudoOnes) {
    for (const auto& [type, mountPoint, user] :
         std::initializer_list<std::tuple<const char*, const char*, bool>>{
             {"tmpfs", "/", true},  // the root, whatever holds it
             {"vfat", "/media/u/S", true},
             {"vfat", "/run/media/u/S", true},
             {"tmpfs", "/mnt/ram", false},  // by its type alone
             {"ext4", "/run/user/1000", false},
             {"ext4", "/proc/driver/x", false},
             {"squashfs", "/snap/core/1", false}}) {
        EXPECT_EQ(isUserVolume(type, mountPoint), user) << type << " " << mountPoint;
    }
    EXPECT_EQ(tidyVolumes({{"/media/b", "OLD"}, {"/home", ""}, {"/media/b", "NEW"}}),
              (std::vector<Volume>{{"/", ""}, {"/home", ""}, {"/media/b", "NEW"}}));
}

// QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, XDG_SESSION_TYPE: whether no display can be reached,
// and whether to run through XWayland.
TEST(Display, TellsWhenNoDisplayCanBeReachedAndWhenToPreferXWayland) {
    using Row = std::tuple<const char*, const char*, const char*, const char*, bool, bool>;
    const Row cases[] = {
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
    for (const Row& row : cases) {
        const auto& [platform, display, wayland, session, missing, preferX] = row;
        SCOPED_TRACE(testing::PrintToString(row));
        EXPECT_EQ(missingDisplay(platform, display, wayland).has_value(), missing);
        EXPECT_EQ(shouldPreferXWayland(platform, display, wayland, session), preferX);
    }
}

}  // namespace
}  // namespace trovik
