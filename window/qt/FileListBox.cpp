#include "window/qt/FileListBox.h"

#include <QScopedValueRollback>
#include <cassert>

namespace trovik {

void FileNameModel::setNames(std::shared_ptr<const NameList> names) {
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

int FileNameModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_names->size());
}

QVariant FileNameModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) {
        return {};
    }
    // Made as the view asks for it: only the rows on the screen are ever decoded.
    return displayText(m_names->view(static_cast<std::size_t>(index.row())));
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent), m_model(this) {
    setModel(&m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_quiet) {
            emit selected(ListIndex());
        }
    });
}

void FileListBox::showNames(std::shared_ptr<const NameList> names) {
    const QScopedValueRollback quiet(m_quiet, true);
    m_model.setNames(std::move(names));  // the model's reset clears the selection
    scrollToTop();
}

void FileListBox::select(std::int64_t index) {
    const QScopedValueRollback quiet(m_quiet, true);
    const QModelIndex row = m_model.index(static_cast<int>(index));
    setCurrentIndex(row);
    scrollTo(row);
}

ListedName FileListBox::entry(int row) const {
    assert(row >= 0 && row < count());
    const auto index = static_cast<std::size_t>(row);
    return {m_model.names().name(index), displayText(m_model.names().view(index))};
}

std::int64_t FileListBox::ListIndex() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace trovik
