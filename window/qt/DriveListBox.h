#pragma once

#include <QComboBox>
#include <cstddef>
#include <filesystem>

#include "platform/VolumeService.h"

namespace trovik {

class VolumeFolders;

// The drive list: a drop-down of the mounted volumes, each shown as its mount point and, when it
// has one, its label in brackets. Choosing another volume raises `changed`.
class DriveListBox final : public QComboBox {
    Q_OBJECT

public:
    // `volumes` lists the volumes and keeps their current folders; it must outlive the list.
    explicit DriveListBox(VolumeFolders& volumes, QWidget* parent = nullptr);

    // The index of the chosen volume in the volume list.
    [[nodiscard]] std::size_t Drive() const;

    // Shows the volume that holds `folder`, without raising `changed`.
    void showVolumeOf(const std::filesystem::path& folder);

signals:
    void changed();

private:
    VolumeFolders& m_volumes;
};

// How the drive list shows a volume: "/media/usb [STICK]", or the mount point alone.
QString volumeText(const Volume& volume);

}  // namespace trovik
