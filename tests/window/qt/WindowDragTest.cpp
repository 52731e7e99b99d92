#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <QWidget>
#include <array>
#include <memory>

#include "window/qt/WindowDrag.h"

namespace trovik {
namespace {

// A borderless 265 by 220 window whose background press starts a drag, as the main window's does;
// its leftmost 20 pixels stand for a control, where a press starts none.
class DraggedWindow final : public QWidget {
public:
    DraggedWindow() : m_drag(*this) {
        setWindowFlag(Qt::FramelessWindowHint);
        setFixedSize(265, 220);
    }
    WindowDrag& drag() { return m_drag; }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->position().x() >= 20) {
            m_drag.StartWindowDrag(event->globalPosition());
        }
    }

private:
    WindowDrag m_drag;
};

// The application, on Qt's offscreen platform with two screens side by side: an 800 by 600
// primary and a 1024 by 768 one to its right. It goes before the program's statics do.
class TwoScreens final : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(QApplication::instance(), nullptr) << "these tests set up the screens themselves";
        ASSERT_TRUE(m_screens.open());
        m_screens.write(R"({"windowFrameMargins": false, "screens": [
            {"name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96},
            {"name": "right", "x": 800, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}]})");
        m_screens.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + m_screens.fileName().toLocal8Bit());
        m_application = std::make_unique<QApplication>(m_argc, m_argv.data());
    }
    void TearDown() override { m_application.reset(); }

private:
    QTemporaryFile m_screens;
    int m_argc = 1;
    char m_name[25] = "trovik_window_drag_tests";
    std::array<char*, 2> m_argv{m_name, nullptr};
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const testing::Environment* const twoScreens =
    testing::AddGlobalTestEnvironment(new TwoScreens);

class WindowDragTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 600));
        m_window.move(300, 200);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        ASSERT_EQ(m_window.pos(), QPoint(300, 200));
    }

    // The user's own gestures, at points on the screen.
    void press(QPoint global, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(&m_window, button, {}, m_window.mapFromGlobal(global));
    }
    void moveTo(QPoint global) { QTest::mouseMove(&m_window, m_window.mapFromGlobal(global)); }
    void release(QPoint global, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(&m_window, button, {}, m_window.mapFromGlobal(global));
    }
    // A release that Qt sends on its own, as it does to the window after a press on a child.
    void sendPropagatedRelease(QPoint global) {
        QMouseEvent event(QEvent::MouseButtonRelease, m_window.mapFromGlobal(global), global,
                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&m_window, &event);
    }

    DraggedWindow m_window;
};

// The window follows the pointer, keeping the point pressed under it, and on the release snaps
// only where it is dropped near or beyond an edge.
TEST_F(WindowDragTest, FollowsThePointerAndSnapsOnlyNearOrBeyondAnEdge) {
    const struct {
        const char* name;
        QPoint releaseAt;  // the press is at (400, 210), 100 by 10 pixels into the window
        Qt::MouseButton button;
        QPoint expected;
    } rows[] = {
        {"five pixels from the left edge", {105, 210}, Qt::LeftButton, {0, 200}},
        {"fifteen pixels from the left edge stays", {115, 210}, Qt::LeftButton, {15, 200}},
        {"fourteen pixels from the top", {400, 24}, Qt::LeftButton, {300, 0}},
        {"beyond the bottom right corner", {640, 590}, Qt::LeftButton, {535, 380}},
        // Most of the window, dropped at (600, 580), lies on the second screen.
        {"mostly on the second screen", {700, 590}, Qt::LeftButton, {800, 548}},
        {"on the second screen stays there", {1200, 300}, Qt::LeftButton, {1100, 290}},
        {"near the second screen's right edge", {1650, 700}, Qt::LeftButton, {1559, 548}},
        {"the right button drags alike", {105, 210}, Qt::RightButton, {0, 200}},
        {"the middle button without moving stays", {400, 210}, Qt::MiddleButton, {300, 200}},
    };
    for (const auto& row : rows) {
        m_window.move(300, 200);
        press({400, 210}, row.button);
        EXPECT_TRUE(m_window.drag().active()) << row.name;
        moveTo(row.releaseAt);
        EXPECT_EQ(m_window.pos(), row.releaseAt - QPoint(100, 10)) << row.name;
        release(row.releaseAt, row.button);
        EXPECT_EQ(m_window.pos(), row.expected) << row.name;
        EXPECT_FALSE(m_window.drag().active()) << row.name;
    }
}

TEST_F(WindowDragTest, ReleaseSentByQtNeitherEndsTheDragNorSnaps) {
    // Without a drag, neither it nor a user's release moves the window.
    m_window.move(5, 200);
    sendPropagatedRelease({6, 201});
    release({6, 201});
    EXPECT_EQ(m_window.pos(), QPoint(5, 200));

    // During a drag, near the left edge: it neither ends the drag nor snaps.
    press({105, 210});
    sendPropagatedRelease({105, 210});
    EXPECT_EQ(m_window.pos(), QPoint(5, 200));
    EXPECT_TRUE(m_window.drag().active());
    moveTo({110, 220});
    EXPECT_EQ(m_window.pos(), QPoint(10, 210));
    release({110, 220});
    EXPECT_EQ(m_window.pos(), QPoint(0, 210));
}

// A drag whose release went to another grab ends at the next move with no button held, or at
// the next press, wherever it lands.
TEST_F(WindowDragTest, ALostDragEndsAtAMoveWithNoButtonOrAtTheNextPress) {
    m_window.setMouseTracking(true);  // without it, Qt delivers no move with no button held
    press({400, 210});
    moveTo({105, 210});
    QMouseEvent move(QEvent::MouseMove, m_window.mapFromGlobal(QPoint(300, 300)), QPoint(300, 300),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&m_window, &move);
    EXPECT_FALSE(m_window.drag().active());
    EXPECT_EQ(m_window.pos(), QPoint(0, 200));
    QTest::mouseRelease(&m_window, Qt::LeftButton);  // lets go of the test framework's button

    m_window.drag().StartWindowDrag({100, 200});
    press({5, 205});  // on the stand-in control, which starts no drag
    EXPECT_FALSE(m_window.drag().active());
    moveTo({500, 300});
    release({500, 300});
    EXPECT_EQ(m_window.pos(), QPoint(0, 200));
}

}  // namespace
}  // namespace trovik
