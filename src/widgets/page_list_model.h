#pragma once
// The rows of a page-loaded list as a Qt table model: one row per entry of the page, one column per
// column of the list format, the texts, icons and colours the list gives each cell. The model holds
// nothing of its own; pageChanged() tells the views what moved.
#include <vector>

#include <QAbstractTableModel>
#include <QIcon>

#include "core/list_format.h"
#include "platform/page_list.h"

namespace tarvelo::widgets {

class PageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The colours a cell wants while its row is selected (QColor; absent: the style's own).
    static constexpr int kSelectedForegroundRole = Qt::UserRole + 1;
    static constexpr int kSelectedBackgroundRole = Qt::UserRole + 2;

    // icons: the list's icon list, numbered from 1 as the cells name them. REQUIRES: list outlives the model.
    PageListModel(platform::PageList& list, std::vector<ListColumn> columns, std::vector<QIcon> icons = {},
                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const std::vector<ListColumn>& columns() const { return m_columns; }

    // The page has changed: rows are inserted or removed to match its new length, then every shown
    // value is announced as changed.
    void pageChanged();

private:
    platform::PageList& m_list;
    std::vector<ListColumn> m_columns;
    std::vector<QIcon> m_icons;
    int m_rows = 0;  // as last announced
};

}  // namespace tarvelo::widgets
