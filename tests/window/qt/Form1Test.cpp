#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFontInfo>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using Form1Layout = FormFixture;

// Each control where the form's layout in twips puts it, at 15 twips a pixel, with its caption
// and font: the lists in a small bold fixed face, the captions in bold italic Arial or its twin.
TEST_F(Form1Layout, ControlsSitAtTheirPlacesInPixelsWithTheirCaptionsAndFonts) {
    const struct {
        QWidget* control;
        QRect pixels;
        const char* caption;  // none for a list
    } places[] = {
        {form->Drive1, {10, 32, 122, 16}, nullptr},
        {form->Dir1, {10, 54, 122, 156}, nullptr},
        {form->File1, {138, 32, 116, 142}, nullptr},
        {form->Label1, {144, 183, 104, 23}, "Scan File!"},
        {form->Label2, {146, 185, 104, 23}, "Scan File!"},
        {form->Label3, {237, 4, 10, 14}, ""},
        {form->Label4, {249, 4, 10, 14}, ""},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.pixels.x());
        EXPECT_EQ(place.control->geometry(), place.pixels);
        EXPECT_EQ(place.control->parentWidget(), form.get());
        const QFontInfo font(place.control->font());
        if (place.caption == nullptr) {
            EXPECT_TRUE(font.fixedPitch() && font.bold() && !font.italic() &&
                        font.pixelSize() == 8);
        } else if (*place.caption != '\0') {
            EXPECT_EQ(static_cast<FormLabel*>(place.control)->text().toStdString(), place.caption);
            EXPECT_TRUE(font.family() == "Arial" || font.family() == "Liberation Sans");
            EXPECT_TRUE(font.bold() && font.italic() && font.pixelSize() == 21);
        } else {
            EXPECT_TRUE(static_cast<FormLabel*>(place.control)->text().isEmpty());
        }
    }
}

// A fixed borderless window with the application's title, rendered at the screen's
// scale: where no control covers it, the picture is drawn pixel for pixel from the copy made for
// that scale (the strip under the lists, the title bar), 265 by 220 pixels. The caption is white,
// its shadow black (that the caption lies above it, Form1Mouse's clicks find).
TEST_F(Form1Layout, AFixedBorderlessTitledPictureAtTheScreensScaleWithTheCaptionOverItsShadow) {
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("trovik by -zelvo-"));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QImage picture = form->grab().toImage();
    const double scale = picture.devicePixelRatio();
    EXPECT_EQ(scale, qEnvironmentVariable("QT_SCALE_FACTOR") == "2" ? 2.0 : 1.0);
    const QImage face(scale == 2.0 ? QStringLiteral(":/trovik/face@2x.jpg")
                                   : QStringLiteral(":/trovik/face.jpg"));
    ASSERT_EQ(face.size(), picture.size());
    ASSERT_EQ(picture.size(), QSize(265, 220) * scale);
    for (const QPoint at : {QPoint(20, 214), QPoint(100, 216), QPoint(30, 8), QPoint(241, 12)}) {
        EXPECT_EQ(QColor(face.pixel(at * scale)), picture.pixelColor(at * scale)) << at.x();
    }
    EXPECT_EQ(form->Label1->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(form->Label2->palette().color(QPalette::WindowText), QColor(Qt::black));
}

class Form1Mouse : public FormFixture {
protected:
    void showAt(QPoint where) {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->move(where);
    }
};

TEST_F(Form1Mouse, EachPrimaryClickOnTheWhiteCaptionScansAndNoOtherPressDoes) {
    selectFile("report.doc");
    const QRect caption = form->Label1->geometry();
    const QPoint inside = caption.topLeft() + QPoint(20, 10);
    clickAt({caption.right() + 2, caption.top() + 5});  // the shadow's strip
    clickAt(inside, Qt::RightButton);
    // Pressed on the caption, released beside it.
    QTest::mousePress(form->Label1, Qt::LeftButton, {}, {5, 5});
    QTest::mouseRelease(form->Label1, Qt::LeftButton, {}, {caption.width() + 5, 5});
    EXPECT_TRUE(messages.shown.empty());

    clickAt(caption.topLeft() + QPoint(1, 1));
    clickAt(inside);
    const Shown clean{"report.doc is CLEAN!", MessageIcon::Information};
    EXPECT_EQ(messages.shown, (Boxes{clean, clean}));
}

// The window follows the pointer from a press of any button on its background, keeping the point
// pressed under it, and on the release snaps only where it is dropped near or beyond an edge of
// the screen that holds most of it. A press on a control or a label drags nothing.
TEST_F(Form1Mouse, APressOnTheBackgroundDragsTheWindowAndTheDropSnapsIt) {
    showAt({300, 200});
    const struct {
        QPoint press;
        Qt::MouseButton button;
        QPoint by;
        QPoint expected;
    } rows[] = {
        {{100, 10}, Qt::LeftButton, {-295, 0}, {0, 200}},      // 5 pixels from the left edge
        {{100, 10}, Qt::LeftButton, {-285, 0}, {15, 200}},     // 15 stays
        {{100, 10}, Qt::LeftButton, {240, 380}, {535, 380}},   // beyond the bottom right corner
        {{100, 10}, Qt::LeftButton, {300, 380}, {800, 548}},   // most on the second screen
        {{5, 100}, Qt::RightButton, {-295, 0}, {0, 200}},      // beside the lists
        {{50, 100}, Qt::LeftButton, {-295, 0}, {300, 200}},    // Dir1
        {{150, 190}, Qt::RightButton, {-295, 0}, {300, 200}},  // Label1
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        form->move(300, 200);
        const auto [target, at] = hit(row.press);
        const QPoint pressed = target->mapToGlobal(at);
        QTest::mousePress(target, row.button, {}, at);
        QTest::mouseMove(target, target->mapFromGlobal(pressed + row.by));
        if (row.expected != QPoint(300, 200)) {
            EXPECT_EQ(form->pos(), QPoint(300, 200) + row.by);  // follows before the drop
        }
        QTest::mouseRelease(target, row.button, {}, target->mapFromGlobal(pressed + row.by));
        EXPECT_EQ(form->pos(), row.expected);
    }
}

// Any button on "-" minimises; that any button on "X" ends the program with status 0 is the
// end-to-end test's, on the real program.
TEST_F(Form1Mouse, APressOfAnyButtonOnTheMinusMinimises) {
    showAt({300, 200});
    QTest::mousePress(form->Label3, Qt::RightButton, {}, {2, 2});
    EXPECT_TRUE(form->isMinimized());
}

// Started with a file (Open With, a drop): its verdict is the box "Scan File!" would show. (Which
// entry a start file or a drop chooses, and what a file the list does not show is scanned as, is
// the browser's; that a start file's verdict comes over the window, the end-to-end test's.)
class Form1StartFile : public FormFixture {};

// A file dropped on the window: its verdict is shown (where the lists go is the browser's). A drop
// of several files or of what is not a local file is not taken, and scans nothing.
TEST_F(Form1StartFile, ADroppedFileIsOpenedAndOtherDropsArePassedOver) {
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &dropped);
        return std::pair{enter.isAccepted(), dropped.isAccepted()};
    };
    const auto local = [](const std::filesystem::path& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path.native()));
    };
    EXPECT_EQ(drop({local(a / "top.exe")}), std::pair(true, true));
    EXPECT_EQ(messages.shown, Boxes{stealer("top.exe")});
    // Several files, or what is not a local file: not taken, and the lists stay.
    for (const QList<QUrl>& urls : {QList{local(a / "work" / "pws.exe"), local(b / "b.bin")},
                                    QList{QUrl("https://example.org/tool.exe")}}) {
        EXPECT_EQ(drop(urls), std::pair(false, false)) << urls.size();
    }
    EXPECT_EQ(messages.shown.size(), 1U);
}

}  // namespace
}  // namespace trovik::test
