#include "window/qt/FileListBox.h"

#include <cassert>

#include "window/core/StartFile.h"
#include "window/qt/ReadFolder.h"

namespace trovik {

void FileNameModel::setNames(NameList names) {
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

int FileNameModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QVariant FileNameModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) {
        return {};
    }
    // Made as the view asks for it: only the rows on the screen are ever decoded.
    return displayText(m_names.view(static_cast<std::size_t>(index.row())));
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
    auto names = readFolder(tidy, EntryKind::File);
    if (!names) {
        return FolderError{tidy, names.error()};
    }
    m_model.setNames(std::move(names).value());
    m_path = tidy;
    clearSelection();
    scrollToTop();
    return std::nullopt;
}

FileSelection FileListBox::selection() const {
    return label1Selection(m_path, m_model.names(), ListIndex());
}

std::filesystem::path FileListBox::FileName() const {
    return selection().FileName;
}

ListedName FileListBox::entry(int row) const {
    assert(row >= 0 && row < count());
    const auto index = static_cast<std::size_t>(row);
    return {m_model.names().name(index), displayText(m_model.names().view(index))};
}

bool FileListBox::selectName(const std::filesystem::path& name) {
    const std::int64_t row = indexOfName(m_model.names(), name);
    if (row < 0) {
        return false;
    }
    const QModelIndex index = m_model.index(static_cast<int>(row));
    setCurrentIndex(index);
    scrollTo(index);
    return true;
}

std::int64_t FileListBox::ListIndex() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace trovik
