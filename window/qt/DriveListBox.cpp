#include "window/qt/DriveListBox.h"

#include <QSignalBlocker>

#include "window/qt/ListedName.h"

namespace trovik {

QString volumeText(const Volume& volume) {
    QString text = displayText(volume.root);
    if (!volume.label.empty()) {
        text += QStringLiteral(" [%1]").arg(QString::fromStdString(volume.label));
    }
    return text;
}

DriveListBox::DriveListBox(const std::vector<Volume>& volumes, QWidget* parent)
    : QComboBox(parent) {
    for (const Volume& volume : volumes) {
        addItem(volumeText(volume));
    }
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::changed);
}

std::size_t DriveListBox::Drive() const {
    return static_cast<std::size_t>(std::max(currentIndex(), 0));
}

void DriveListBox::showDrive(std::size_t volume) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(static_cast<int>(volume));
}

}  // namespace trovik
