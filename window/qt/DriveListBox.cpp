#include "window/qt/DriveListBox.h"

#include <QSignalBlocker>

#include "window/core/VolumeFolders.h"
#include "window/qt/ListedName.h"

namespace trovik {

QString volumeText(const Volume& volume) {
    QString text = displayText(volume.root);
    if (!volume.label.empty()) {
        text += QStringLiteral(" [%1]").arg(QString::fromStdString(volume.label));
    }
    return text;
}

DriveListBox::DriveListBox(VolumeFolders& volumes, QWidget* parent)
    : QComboBox(parent), m_volumes(volumes) {
    for (const Volume& volume : m_volumes.volumes()) {
        addItem(volumeText(volume));
    }
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::changed);
}

std::size_t DriveListBox::Drive() const {
    return static_cast<std::size_t>(std::max(currentIndex(), 0));
}

void DriveListBox::showVolumeOf(const std::filesystem::path& folder) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(static_cast<int>(m_volumes.volumeOf(folder)));
}

}  // namespace trovik
