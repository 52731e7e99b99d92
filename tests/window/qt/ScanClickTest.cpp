#include <gtest/gtest.h>

#include <QTest>

#include "FormFixture.h"

namespace trovik::test {
namespace {

using ScanClick = FormFixture;

TEST_F(ScanClick, EachPrimaryClickOnTheWhiteCaptionScansWithTheVerdictsTextAndIcon) {
    selectFile("report.doc");
    const QRect caption = form->Label1->geometry();
    const QPoint inside = caption.topLeft() + QPoint(20, 10);
    clickAt(caption.bottomRight() + QPoint(1, 1));  // the shadow's strips
    clickAt({caption.right() + 2, caption.top() + 5});
    clickAt(inside, Qt::RightButton);
    clickAt(inside, Qt::MiddleButton);
    // Pressed on the caption, released beside it.
    QTest::mousePress(form->Label1, Qt::LeftButton, {}, {5, 5});
    QTest::mouseRelease(form->Label1, Qt::LeftButton, {}, {caption.width() + 5, 5});
    EXPECT_TRUE(messages.shown.empty());

    clickAt(caption.topLeft() + QPoint(1, 1));
    clickAt(inside);
    const Shown clean{"report.doc is CLEAN!", MessageIcon::Information};
    EXPECT_EQ(messages.shown, (Boxes{clean, clean}));
    EXPECT_EQ(scanFile("pws.exe"),
              (Shown{"pws.exe is a PASSWORD STEALER!", MessageIcon::Critical}));
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
}  // namespace trovik::test
