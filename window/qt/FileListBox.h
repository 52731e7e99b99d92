#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "window/core/FolderListing.h"
#include "window/qt/ListedName.h"

namespace trovik {

// The names of one folder's files, for a list view.
class FileNameModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(NameList names);
    [[nodiscard]] const NameList& names() const { return m_names; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    NameList m_names;
};

// The file list: the regular files of one folder, hidden files left out, sorted. A single click
// selects a file. A model with a view of uniform rows keeps folders of any size quick.
class FileListBox final : public QListView {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    // The folder whose files are listed; the root ends with a separator, other folders do not.
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

    // Re-reads `folder` and clears the selection. When the folder cannot be listed, the list
    // stays as it was and the failure is returned.
    [[nodiscard]] std::optional<FolderError> setPath(const std::filesystem::path& folder);

    // What a scan of the selected entry needs: the folder, the entry's name and index.
    [[nodiscard]] FileSelection selection() const;

    // The selected entry's bare name, empty when nothing is selected.
    [[nodiscard]] std::filesystem::path FileName() const;

    // The selected entry's index, negative when nothing is selected.
    [[nodiscard]] std::int64_t ListIndex() const;

    // Selects the entry named `name`, and shows it; false when the list has none.
    bool selectName(const std::filesystem::path& name);

    [[nodiscard]] const NameList& names() const { return m_model.names(); }
    [[nodiscard]] int count() const { return m_model.rowCount(); }
    // The name and text of `row`, which must be in the list.
    [[nodiscard]] ListedName entry(int row) const;

private:
    FileNameModel m_model;
    std::filesystem::path m_path;
};

}  // namespace trovik
