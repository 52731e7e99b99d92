#include "platform/qt/QtMessageBoxService.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>

namespace trovik {

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
    QMessageBox box(
        icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, m_title,
        messageBoxText(text), QMessageBox::Ok, QApplication::activeWindow());
    // File names are shown as they are: a name that looks like markup is not markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace trovik
