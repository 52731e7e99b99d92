#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QListView>
#include <filesystem>
#include <optional>
#include <vector>

#include "window/core/FolderListing.h"

namespace trovik {

class VolumeFolders;

// One row of the folder list: an ancestor of the folder (or the folder itself), open, or one of
// its subfolders, closed; `level` is how far the row is indented.
struct FolderRow {
    std::filesystem::path path;
    QString text;
    int level = 0;
    bool open = false;
};

// The folder list's rows for a view.
class FolderModel final : public QAbstractListModel {
public:
    static constexpr int LevelRole = Qt::UserRole + 1;

    FolderModel(QIcon openIcon, QIcon closedIcon, QObject* parent);

    void setRows(std::vector<FolderRow> rows);
    [[nodiscard]] const FolderRow& at(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<FolderRow> m_rows;
    QIcon m_openIcon;
    QIcon m_closedIcon;
};

// The rows the folder list shows for `folder`: its ancestors from the root down, the folder, then
// its subfolders (bare names, sorted for display).
std::vector<FolderRow> folderRows(const std::filesystem::path& folder, const NameList& subfolders);

// The folder list: the ancestors of its folder and the folder's subfolders. Opening an entry (a
// double click or Enter) makes it the folder and raises `changed`.
class DirListBox final : public QListView {
    Q_OBJECT

public:
    // `volumes` keeps each volume's current folder; it must outlive the list.
    explicit DirListBox(VolumeFolders& volumes, QWidget* parent = nullptr);

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

    // Moves the list to `folder`, raising `changed` when it differs from the folder before. When
    // the folder cannot be listed, the list stays as it was and the failure is returned.
    [[nodiscard]] std::optional<FolderError> setPath(const std::filesystem::path& folder);

    // Moves the list to the current folder of the volume with index `volume`, or to the volume's
    // root where that folder can no longer be listed.
    [[nodiscard]] std::optional<FolderError> setPath(std::size_t volume);

    // Moves the list to `folder` without raising `changed`, to put it back where the chain is.
    [[nodiscard]] std::optional<FolderError> restorePath(const std::filesystem::path& folder);

    [[nodiscard]] int count() const { return m_model.rowCount(); }
    [[nodiscard]] const FolderRow& row(int index) const { return m_model.at(index); }

signals:
    void changed();
    // The user opened an entry that could not be listed; the list stayed where it was.
    void openFailed(const trovik::FolderError& failure);

protected:
    // Enter opens the current entry, whatever the style makes of a single click.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<FolderError> list(const std::filesystem::path& folder);
    void open(const QModelIndex& index);
    void markCurrentFolder();

    VolumeFolders& m_volumes;
    FolderModel m_model;
    std::filesystem::path m_path;
};

}  // namespace trovik
