#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <optional>

class QEvent;
class QWidget;

namespace trovik {

// Moves a borderless window with the pointer, by the program itself: the point where the button
// went down stays under the pointer, the window follows every mouse move, and when the release
// that ends the drag arrives, the window is pulled flush against the edges of its screen
// (snapWindowToScreenEdges). Releases the window did not get from the user (propagated copies
// that Qt sends itself) neither end the drag nor snap.
//
// This works alike on X11 with or without a window manager and on Windows, and the positions read
// after the move are the true ones. On Wayland, where a window cannot place itself, the drag is
// handed to the compositor and the window is not snapped.
class WindowDrag final : public QObject {
public:
    // Watches the window's mouse events; the window must outlive this object.
    explicit WindowDrag(QWidget& window);
    ~WindowDrag() override;
    WindowDrag(const WindowDrag&) = delete;
    WindowDrag& operator=(const WindowDrag&) = delete;

    // Starts a drag from a press at globalPress, in the window's logical pixels.
    void StartWindowDrag(QPointF globalPress);

    bool active() const { return m_pressOffset.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow(QPointF globalPosition);
    void drop();

    QWidget& m_window;
    // Where the pointer is from the window's top-left corner, while a drag is on.
    std::optional<QPoint> m_pressOffset;
};

// Pulls the window flush against the edges of the screen that holds most of it (that screen's whole
// geometry, task bar included), with SnapToScreenEdges at 15 twips per logical pixel.
void snapWindowToScreenEdges(QWidget& window);

}  // namespace trovik
