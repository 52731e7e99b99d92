#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QListView>
#include <vector>

#include "window/core/Browser.h"

namespace trovik {

// The folder list's rows for a view: each row's text, indent and whether it is open.
class FolderModel final : public QAbstractListModel {
public:
    static constexpr int LevelRole = Qt::UserRole + 1;

    FolderModel(QIcon openIcon, QIcon closedIcon, QObject* parent);

    void setRows(const std::vector<FolderRow>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Row {
        QString text;
        int level = 0;
        bool open = false;
    };
    std::vector<Row> m_rows;
    QIcon m_openIcon;
    QIcon m_closedIcon;
};

// The folder list: the ancestors of its folder and the folder's subfolders. Opening an entry (a
// double click or Enter) raises `opened` with its row.
class DirListBox final : public QListView {
    Q_OBJECT

public:
    explicit DirListBox(QWidget* parent = nullptr);

    // Shows `rows`, with the row `current` highlighted.
    void showRows(const std::vector<FolderRow>& rows, std::size_t current);
    // Highlights the row `current`, and shows it.
    void mark(std::size_t current);

    [[nodiscard]] int count() const { return m_model.rowCount(); }
    [[nodiscard]] QString text(int row) const;

signals:
    void opened(std::size_t row);

protected:
    // Enter opens the current entry, whatever the style makes of a single click.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QModelIndex& index);

    FolderModel m_model;
};

}  // namespace trovik
