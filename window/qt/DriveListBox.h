#pragma once

#include <QComboBox>
#include <cstddef>
#include <vector>

#include "platform/VolumeService.h"

namespace trovik {

// The drive list: a drop-down of the mounted volumes, each shown as its mount point and, when it
// has one, its label in brackets. Choosing another volume raises `changed`.
class DriveListBox final : public QComboBox {
    Q_OBJECT

public:
    explicit DriveListBox(const std::vector<Volume>& volumes, QWidget* parent = nullptr);

    // The index of the chosen volume in the volume list.
    [[nodiscard]] std::size_t Drive() const;

    // Shows the volume with this index, without raising `changed`.
    void showDrive(std::size_t volume);

signals:
    void changed();
};

// How the drive list shows a volume: "/media/usb [STICK]", or the mount point alone.
QString volumeText(const Volume& volume);

}  // namespace trovik
