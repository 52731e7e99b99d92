#include "platform/qt/QtMessageBoxService.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>

#include "platform/qt/ApplicationTitle.h"

namespace trovik {

QString messageBoxText(std::string_view text) {
    QString decoded =
        QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return decoded;
}

void QtMessageBoxService::show(std::string_view text, MessageIcon icon) {
    QMessageBox box(
        icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information,
        QString::fromUtf8(ApplicationTitle), messageBoxText(text), QMessageBox::Ok,
        QApplication::activeWindow());
    // File names are shown as they are: a name that looks like markup is not markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace trovik
