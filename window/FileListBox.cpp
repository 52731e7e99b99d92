#include "window/FileListBox.h"

#include <cassert>

#include "window/VolumeFolders.h"

namespace trovik {

void FileNameModel::setNames(std::vector<ListedName> names) {
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

const ListedName& FileNameModel::at(int row) const {
    assert(row >= 0 && static_cast<std::size_t>(row) < m_names.size());
    return m_names[static_cast<std::size_t>(row)];
}

int FileNameModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QVariant FileNameModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) {
        return {};
    }
    return at(index.row()).text;
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent), m_model(this) {
    setModel(&m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
}

std::optional<FolderError> FileListBox::setPath(const std::filesystem::path& folder) {
    const std::filesystem::path tidy = tidyFolder(folder);
    auto names = listEntries(tidy, EntryKind::File);
    if (!names) {
        return FolderError{tidy, names.error()};
    }
    m_model.setNames(sortedForDisplay(std::move(names).value()));
    m_path = tidy;
    clearSelection();
    scrollToTop();
    return std::nullopt;
}

std::filesystem::path FileListBox::FileName() const {
    const std::int64_t index = ListIndex();
    return index < 0 ? std::filesystem::path() : m_model.at(static_cast<int>(index)).name;
}

std::int64_t FileListBox::ListIndex() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace trovik
