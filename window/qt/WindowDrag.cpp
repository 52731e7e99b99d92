#include "window/qt/WindowDrag.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "window/core/EdgeSnap.h"

namespace trovik {
namespace {

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

layout::PixelRect pixels(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

// The screen that holds most of the window, else the nearest one.
QScreen* screenHolding(const QWidget& window) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<layout::PixelRect> places;
    for (const QScreen* screen : screens) {
        places.push_back(pixels(screen->geometry()));
    }
    const auto index = trovik::screenHolding(pixels(window.frameGeometry()), places);
    return index ? screens[static_cast<qsizetype>(*index)] : nullptr;
}

}  // namespace

WindowDrag::WindowDrag(QWidget& window) : m_window(window) {
    m_window.installEventFilter(this);
}

WindowDrag::~WindowDrag() {
    m_window.removeEventFilter(this);
}

void WindowDrag::StartWindowDrag(QPointF globalPress) {
    if (onWayland()) {
        if (QWindow* handle = m_window.windowHandle()) {
            handle->startSystemMove();
        }
        return;
    }
    m_pressOffset = globalPress.toPoint() - m_window.pos();
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window || !active()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            // A press with no other button held begins afresh: a drag whose release was lost
            // must not carry on under a press that does not start one.
            const auto* press = static_cast<QMouseEvent*>(event);
            if (press->buttons() == press->button()) {
                m_pressOffset.reset();
            }
            break;
        }
        case QEvent::MouseMove: {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (move->buttons() == Qt::NoButton) {
                // The release went elsewhere (another grab took the pointer) and the window tracks
                // the mouse: the drag is over.
                drop();
            } else {
                follow(move->globalPosition());
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* release = static_cast<QMouseEvent*>(event);
            if (!release->spontaneous()) {
                break;
            }
            follow(release->globalPosition());
            if (release->buttons() == Qt::NoButton) {
                drop();
            }
            break;
        }
        default:
            break;
    }
    return false;
}

void WindowDrag::follow(QPointF globalPosition) {
    const QPoint target = globalPosition.toPoint() - *m_pressOffset;
    if (target != m_window.pos()) {
        m_window.move(target);
    }
}

void WindowDrag::drop() {
    m_pressOffset.reset();
    snapWindowToScreenEdges(m_window);
}

void snapWindowToScreenEdges(QWidget& window) {
    const QScreen* screen = screenHolding(window);
    if (screen == nullptr) {
        return;
    }
    const QRect frame = window.frameGeometry();
    const PixelPosition snapped = SnapToScreenEdges(pixels(frame), pixels(screen->geometry()));
    const QPoint target(snapped.left, snapped.top);
    if (target != frame.topLeft()) {
        window.move(target);
    }
}

}  // namespace trovik
