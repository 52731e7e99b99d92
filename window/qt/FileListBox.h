#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <cstdint>
#include <memory>

#include "window/core/NameList.h"
#include "window/qt/ListedName.h"

namespace trovik {

// The names of one folder's files, for a list view.
class FileNameModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(std::shared_ptr<const NameList> names);
    [[nodiscard]] const NameList& names() const { return *m_names; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::shared_ptr<const NameList> m_names = std::make_shared<const NameList>();
};

// The file list: the names of one folder's files. A single click selects a file, and raises
// `selected` with its row (-1 when none is). A model with a view of uniform rows keeps folders of
// any size quick.
class FileListBox final : public QListView {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    // Shows `names`, none selected.
    void showNames(std::shared_ptr<const NameList> names);
    // Selects the entry at `index`, and shows it, without raising `selected`.
    void select(std::int64_t index);

    // The selected entry's index, negative when nothing is selected.
    [[nodiscard]] std::int64_t ListIndex() const;

    [[nodiscard]] int count() const { return m_model.rowCount(); }
    // The name and text of `row`, which must be in the list.
    [[nodiscard]] ListedName entry(int row) const;

signals:
    void selected(std::int64_t index);

private:
    FileNameModel m_model;
    bool m_quiet = false;  // a change the browser made, not the user
};

}  // namespace trovik
