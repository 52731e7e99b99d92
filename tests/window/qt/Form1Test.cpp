#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using Form1Layout = FormFixture;

// Each control where the form's layout in twips puts it, at 15 twips a pixel.
TEST_F(Form1Layout, ControlsSitAtTheirPlacesInPixels) {
    const struct {
        const char* name;
        QWidget* control;
        QRect pixels;
    } places[] = {
        {"Drive1", form->Drive1, {10, 32, 122, 16}},
        {"Dir1", form->Dir1, {10, 54, 122, 156}},
        {"File1", form->File1, {138, 32, 116, 142}},
        {"Label1", form->Label1, {144, 183, 104, 23}},
        {"Label2", form->Label2, {146, 185, 104, 23}},
        {"Label3", form->Label3, {237, 4, 10, 14}},
        {"Label4", form->Label4, {249, 4, 10, 14}},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(place.control->geometry(), place.pixels);
        EXPECT_EQ(place.control->parentWidget(), form.get());
    }
}

TEST_F(Form1Layout, WindowIsAFixedBorderlessCentredPictureWithTheApplicationTitle) {
    EXPECT_EQ(form->size(), QSize(265, 220));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form->isWindow());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("trovik by -zelvo-"));
    form->show();  // the icon is read, and the window placed, when it is first shown
    EXPECT_EQ(form->windowIcon().availableSizes(),
              QIcon(QStringLiteral(":/trovik/icon.png")).availableSizes());
    EXPECT_FALSE(form->windowIcon().isNull());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QPoint offset = form->frameGeometry().center() - form->screen()->geometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

TEST_F(Form1Layout, OnlyTheListsTakeFocusStartingWithTheDriveList) {
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), form->Drive1);

    std::vector<QWidget*> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, (std::vector<QWidget*>{form->Dir1, form->File1, form->Drive1, form->Dir1}));
    for (const FormLabel* label : {form->Label1, form->Label2, form->Label3, form->Label4}) {
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(Form1Layout, FontsAreTheSmallBoldFixedFaceAndTheBoldItalicCaptionFace) {
    for (QWidget* list : std::initializer_list<QWidget*>{form->Drive1, form->Dir1, form->File1}) {
        const QFontInfo font(list->font());
        EXPECT_TRUE(font.fixedPitch()) << font.family().toStdString();
        EXPECT_TRUE(font.bold());
        EXPECT_FALSE(font.italic());
        EXPECT_EQ(font.pixelSize(), 8);
    }
    for (FormLabel* label : {form->Label1, form->Label2}) {
        const QFontInfo font(label->font());
        EXPECT_TRUE(font.family() == "Arial" || font.family() == "Liberation Sans")
            << font.family().toStdString();
        EXPECT_TRUE(font.bold());
        EXPECT_TRUE(font.italic());
        EXPECT_EQ(font.pixelSize(), 21);
    }
}

// The window shown and rendered; read in form pixels whatever the screen's scale.
class Form1Picture : public Form1Layout {
protected:
    QImage picture;
    double scale = 1.0;

    void SetUp() override {
        Form1Layout::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        picture = form->grab().toImage();
        scale = picture.devicePixelRatio();
    }
    // The brightness in the middle of the form pixel (x, y).
    [[nodiscard]] int brightness(int x, int y) const {
        return qGray(picture.pixel(static_cast<int>((x + 0.5) * scale),
                                   static_cast<int>((y + 0.5) * scale)));
    }
};

TEST_F(Form1Picture, CoversTheWholeWindowAtTheScreensScale) {
    EXPECT_EQ(scale, form->devicePixelRatioF());
    EXPECT_EQ(picture.size(), QSize(265, 220) * scale);
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2")) {
        EXPECT_EQ(scale, 2.0);
    }
    EXPECT_GT(brightness(0, 100), 150);  // the light grey frame
    EXPECT_GT(brightness(264, 100), 150);
    EXPECT_LT(brightness(135, 215), 90);  // the dark field

    // Where no control covers it, the picture is drawn pixel for pixel, from the copy made for
    // the screen's scale: the strip under the folder list, and the title bar.
    const QImage face(scale == 2.0 ? QStringLiteral(":/trovik/face@2x.jpg")
                                   : QStringLiteral(":/trovik/face.jpg"));
    ASSERT_EQ(face.size(), picture.size());
    for (const QPoint at : {QPoint(20, 214), QPoint(100, 216), QPoint(30, 8), QPoint(241, 12)}) {
        const QPoint pixel = at * scale;
        EXPECT_EQ(QColor(face.pixel(pixel)), picture.pixelColor(pixel)) << at.x() << "," << at.y();
    }
    // The title bar is dark where no title or glyph is painted.
    for (int x = 150; x < 236; ++x) {
        for (const int y : {5, 11, 17}) {
            ASSERT_LT(brightness(x, y), 40) << x << "," << y;
        }
    }
    EXPECT_GT(brightness(130, 20), 150);  // the light band under the bar
}

TEST_F(Form1Picture, GlyphsLieInsideTheirHotSpots) {
    const QRect minus = form->Label3->geometry();
    const QRect cross = form->Label4->geometry();
    int inMinus = 0;
    int inCross = 0;
    for (int x = 200; x < 262; ++x) {
        for (int y = 4; y <= 18; ++y) {
            if (brightness(x, y) < 128) {
                continue;
            }
            inMinus += minus.contains(x, y) ? 1 : 0;
            inCross += cross.contains(x, y) ? 1 : 0;
            EXPECT_TRUE(minus.contains(x, y) || cross.contains(x, y))
                << "bright pixel outside the hot-spots at " << x << "," << y;
        }
    }
    EXPECT_GE(inMinus, 5);  // a bar of at least five pixels
    EXPECT_GE(inCross, 9);  // two strokes
}

TEST_F(Form1Picture, CaptionIsWhiteOverItsBlackShadow) {
    const QRect caption = form->Label1->geometry();
    int white = 0;
    int shadowed = 0;
    for (int y = caption.top(); y <= caption.bottom(); ++y) {
        for (int x = caption.left(); x <= caption.right(); ++x) {
            if (brightness(x, y) < 240) {
                continue;
            }
            ++white;
            shadowed += brightness(x + 2, y + 2) < 16 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 150);
    // Where the white stroke ends, its black copy two pixels right and down shows.
    EXPECT_GT(shadowed, white / 10) << white;
}

}  // namespace
}  // namespace trovik::test
