#include <gtest/gtest.h>

#include <QTest>

#include "FormFixture.h"
#include "window/FileListBox.h"
#include "window/FormLabel.h"

namespace trovik {
namespace {

using test::Shown;

// Real files in the start folder, scanned through the form with the system's file service.
class ScanClick : public test::FormFixture {
protected:
    void SetUp() override {
        disk.write("files/clean.exe", test::filler(40'000));
        disk.write("files/pws.exe", test::filler(40'000, "cHaNgE yOuR pAsSwOrD", 31'980));
        disk.write("files/late.exe", test::filler(40'000, "SEXSTORY", 31'993));
        disk.write("files/gone.exe", "x");
        volumes.volumes = {{disk.path(), ""}};
        makeForm(disk / "files");
    }

    QPoint captionPoint() const { return form->Label1->geometry().topLeft() + QPoint(20, 10); }
};

struct VerdictCase {
    const char* file;
    Shown expected;
};

TEST_F(ScanClick, EachVerdictGivesItsTextAndIcon) {
    const VerdictCase cases[] = {
        {"clean.exe", {"clean.exe is CLEAN!", MessageIcon::Information}},
        {"pws.exe", {"pws.exe is a PASSWORD STEALER!", MessageIcon::Critical}},
        {"late.exe", {"late.exe is CLEAN!", MessageIcon::Information}},  // ends past byte 32000
    };
    for (const VerdictCase& c : cases) {
        SCOPED_TRACE(c.file);
        messages.shown.clear();
        selectFile(c.file);
        clickAt(captionPoint());
        EXPECT_EQ(messages.shown, (std::vector<Shown>{c.expected}));
    }
}

TEST_F(ScanClick, NothingSelectedSaysSo) {
    clickAt(captionPoint());
    EXPECT_EQ(messages.shown, (std::vector<Shown>{{"No file selected!", MessageIcon::Critical}}));
}

TEST_F(ScanClick, AFileRemovedAfterListingIsNeverCalledClean) {
    selectFile("gone.exe");
    std::filesystem::remove(disk / "files" / "gone.exe");
    clickAt(captionPoint());
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"gone.exe could not be scanned!\r\rNo such file or directory",
                                   MessageIcon::Critical}}));
}

TEST_F(ScanClick, TwoClicksGiveTwoScans) {
    selectFile("pws.exe");
    clickAt(captionPoint());
    clickAt(captionPoint());
    EXPECT_EQ(messages.shown.size(), 2U);
}

TEST_F(ScanClick, OnlyAPrimaryClickOnTheWhiteCaptionScans) {
    selectFile("clean.exe");
    const QRect caption = form->Label1->geometry();
    clickAt(caption.bottomRight() + QPoint(1, 1));  // the shadow's strip
    clickAt({caption.right() + 2, caption.top() + 5});
    clickAt(captionPoint(), Qt::RightButton);
    clickAt(captionPoint(), Qt::MiddleButton);
    // Pressed on the caption, released beside it.
    QTest::mousePress(form->Label1, Qt::LeftButton, {}, {5, 5});
    QTest::mouseRelease(form->Label1, Qt::LeftButton, {}, {caption.width() + 5, 5});
    EXPECT_TRUE(messages.shown.empty());

    clickAt(caption.topLeft() + QPoint(1, 1));
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"clean.exe is CLEAN!", MessageIcon::Information}}));
}

TEST_F(ScanClick, PressesOnTheLabelsStayWithTheLabels) {
    // A press the labels let through would reach the window's background and move it.
    for (FormLabel* label : {form->Label1, form->Label2, form->Label3, form->Label4}) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2),
                          label->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(label, &press);
        EXPECT_TRUE(press.isAccepted()) << label->geometry().x();
    }
}

}  // namespace
}  // namespace trovik
