#include "platform/qt/QtMessageBoxService.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace trovik {
namespace {

// A message box that is never narrower than its title bar needs to show the whole title. Qt sizes
// a box to its text, allowing the title only a narrow bar's worth, so a window manager with
// larger title fonts or more buttons cuts the title of a box with a short text. Qt sizes it so
// when it is shown and again at each layout request, one of which comes after the box is shown
// under X11 (still before it is mapped), so the box is widened after each.
class TitledMessageBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);  // may size the box to its text
        if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) {
            const int needed = messageBoxMinimumWidth(windowTitle());
            const int limit = screen() != nullptr ? screen()->availableGeometry().width() : needed;
            if (width() < needed) {
                setFixedSize(std::min(needed, limit), height());
            }
        }
        return handled;
    }
};

}  // namespace

int messageBoxMinimumWidth(const QString& title) {
    // The title in the system's title font, bold as most window managers draw it. Openbox, GNOME
    // and KDE centre it in the bar, so the side with the most buttons counts twice: room for
    // three buttons (minimise, maximise, close), each about as wide as the bar is high, and the
    // bar's edge, on either side of the title.
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int barHeight = metrics.height() + 8;
    return metrics.horizontalAdvance(title) + 2 * (3 * barHeight + 8);
}

QString messageBoxText(std::string_view text) {
    QString decoded =
        QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return decoded;
}

QtMessageBoxService::QtMessageBoxService(std::string_view title)
    : m_title(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()))) {}

void QtMessageBoxService::show(std::string_view text, MessageIcon icon) {
    TitledMessageBox box(
        icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, m_title,
        messageBoxText(text), QMessageBox::Ok, QApplication::activeWindow());
    // File names are shown as they are: a name that looks like markup is not markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace trovik
