#include "window/qt/DirListBox.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include "window/qt/ListedName.h"

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

void FolderModel::setRows(const std::vector<FolderRow>& rows) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (const FolderRow& row : rows) {
        m_rows.push_back({displayText(row.name()), row.level, row.open});
    }
    endResetModel();
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
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

DirListBox::DirListBox(QWidget* parent)
    : QListView(parent),
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

void DirListBox::showRows(const std::vector<FolderRow>& rows, std::size_t current) {
    m_model.setRows(rows);
    mark(current);
}

void DirListBox::mark(std::size_t current) {
    const QModelIndex index = m_model.index(static_cast<int>(current));
    setCurrentIndex(index);
    scrollTo(index);
}

QString DirListBox::text(int row) const {
    return m_model.index(row).data().toString();
}

void DirListBox::open(const QModelIndex& index) {
    if (index.isValid()) {
        emit opened(static_cast<std::size_t>(index.row()));
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

}  // namespace trovik
