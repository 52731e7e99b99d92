#include "window/qt/FormLabel.h"

#include <QMouseEvent>

namespace trovik {

FormLabel::FormLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(false);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
}

void FormLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        m_primaryDown = true;
    }
    emit pressed(event->button(), event->modifiers(), event->position());
}

void FormLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !m_primaryDown) {
        return;
    }
    m_primaryDown = false;
    if (rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace trovik
