#include "window/qt/DirListBox.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <cassert>

#include "window/core/VolumeFolders.h"
#include "window/qt/ListedName.h"
#include "window/qt/ReadFolder.h"

namespace trovik {
namespace {

constexpr int IndentPixels = 6;
constexpr int IconPixels = 10;

// Draws each row shifted right by its level.
class IndentingDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted = option;
        shifted.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) {
        return index.data(FolderModel::LevelRole).toInt() * IndentPixels;
    }
};

}  // namespace

FolderModel::FolderModel(QIcon openIcon, QIcon closedIcon, QObject* parent)
    : QAbstractListModel(parent),
      m_openIcon(std::move(openIcon)),
      m_closedIcon(std::move(closedIcon)) {}

void FolderModel::setRows(std::vector<FolderRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const FolderRow& FolderModel::at(int row) const {
    assert(row >= 0 && static_cast<std::size_t>(row) < m_rows.size());
    return m_rows[static_cast<std::size_t>(row)];
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const FolderRow& row = at(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return row.text;
        case Qt::DecorationRole:
            return row.open ? m_openIcon : m_closedIcon;
        case LevelRole:
            return row.level;
        default:
            return {};
    }
}

std::vector<FolderRow> folderRows(const std::filesystem::path& folder, const NameList& subfolders) {
    std::vector<FolderRow> rows;
    std::filesystem::path ancestor;
    int level = 0;
    for (const auto& step : folder) {
        if (step.empty()) {
            continue;  // a separator at the end
        }
        ancestor /= step;
        const bool isRoot = ancestor == ancestor.root_path();
        rows.push_back({ancestor, displayText(isRoot ? ancestor : step), level++, true});
    }
    for (std::size_t i = 0; i < subfolders.size(); ++i) {
        rows.push_back(
            {folder / subfolders.name(i), displayText(subfolders.view(i)), level, false});
    }
    return rows;
}

DirListBox::DirListBox(VolumeFolders& volumes, QWidget* parent)
    : QListView(parent),
      m_volumes(volumes),
      m_model(style()->standardIcon(QStyle::SP_DirOpenIcon),
              style()->standardIcon(QStyle::SP_DirClosedIcon), this) {
    setModel(&m_model);
    setItemDelegate(new IndentingDelegate(this));
    setUniformItemSizes(true);
    setIconSize(QSize(IconPixels, IconPixels));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    // A double click or Enter opens an entry, as on Windows; not `activated`, which some styles
    // raise on a single click.
    connect(this, &QAbstractItemView::doubleClicked, this, &DirListBox::open);
}

std::optional<FolderError> DirListBox::setPath(const std::filesystem::path& folder) {
    const std::filesystem::path before = m_path;
    if (auto failure = list(folder)) {
        return failure;
    }
    if (m_path != before) {
        emit changed();
    }
    return std::nullopt;
}

std::optional<FolderError> DirListBox::setPath(std::size_t volume) {
    const std::filesystem::path current = m_volumes.currentFolder(volume);
    auto failure = setPath(current);
    // A volume whose current folder has gone since is entered at its root.
    const std::filesystem::path& root = m_volumes.volumes()[volume].root;
    if (failure && current != root && !setPath(root)) {
        return std::nullopt;
    }
    return failure;
}

std::optional<FolderError> DirListBox::restorePath(const std::filesystem::path& folder) {
    return list(folder);
}

std::optional<FolderError> DirListBox::list(const std::filesystem::path& folder) {
    const std::filesystem::path tidy = tidyFolder(folder);
    auto subfolders = readFolder(tidy, EntryKind::Folder);
    if (!subfolders) {
        return FolderError{tidy, subfolders.error()};
    }
    m_model.setRows(folderRows(tidy, subfolders.value()));
    m_path = tidy;
    m_volumes.remember(tidy);
    markCurrentFolder();
    return std::nullopt;
}

void DirListBox::open(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    const std::filesystem::path folder = m_model.at(index.row()).path;
    if (auto failure = setPath(folder)) {
        markCurrentFolder();
        emit openFailed(*failure);
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentIndex());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void DirListBox::markCurrentFolder() {
    // The folder is the last of the open rows, after its ancestors.
    int current = 0;
    while (current + 1 < m_model.rowCount() && m_model.at(current + 1).open) {
        ++current;
    }
    const QModelIndex index = m_model.index(current);
    setCurrentIndex(index);
    scrollTo(index);
}

}  // namespace trovik
