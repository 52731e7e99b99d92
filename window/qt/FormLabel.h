#pragma once

#include <QLabel>
#include <QPointF>

namespace trovik {

// A label of the form: a caption or an empty, transparent hot-spot. It takes no focus and carries
// no access key. Every press on it stays with it, so a press on a label never reaches the window
// behind; `pressed` tells of each press, and `clicked` of a primary-button press released over
// the label.
class FormLabel final : public QLabel {
    Q_OBJECT

public:
    explicit FormLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF position);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_primaryDown = false;
};

}  // namespace trovik
