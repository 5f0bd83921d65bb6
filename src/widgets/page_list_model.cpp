#include "widgets/page_list_model.h"

#include <QColor>

namespace tarvelo::widgets {
namespace {

Qt::Alignment alignmentOf(Justify justify) {
    switch (justify) {
    case Justify::right:
    case Justify::decimal: return Qt::AlignRight | Qt::AlignVCenter;
    case Justify::center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case Justify::left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QVariant colorOf(const std::optional<platform::Rgb>& rgb) {
    if (!rgb) return {};
    return QColor(rgb->red, rgb->green, rgb->blue);
}

}  // namespace

PageListModel::PageListModel(platform::PageList& list, std::vector<ListColumn> columns, std::vector<QIcon> icons, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_columns(std::move(columns)), m_icons(std::move(icons)),
      m_rows(list.entryCount()) {}

int PageListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int PageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant PageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= columnCount()) return {};
    const ListColumn& column = m_columns[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(m_list.cell(index.row(), index.column()).text);
    case Qt::DecorationRole: {
        if (!column.icon) return {};
        const int icon = m_list.cell(index.row(), index.column()).icon;
        if (icon < 1 || static_cast<std::size_t>(icon) > m_icons.size()) return {};
        return m_icons[static_cast<std::size_t>(icon - 1)];
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(column.justify));
    case Qt::ForegroundRole:
        return colorOf(m_list.cell(index.row(), index.column()).foreground);
    case Qt::BackgroundRole:
        return colorOf(m_list.cell(index.row(), index.column()).background);
    case kSelectedForegroundRole:
        return colorOf(m_list.cell(index.row(), index.column()).selectedForeground);
    case kSelectedBackgroundRole:
        return colorOf(m_list.cell(index.row(), index.column()).selectedBackground);
    case Qt::ToolTipRole: {
        const std::string tip = m_list.cell(index.row(), index.column()).tip;
        return tip.empty() ? QVariant() : QVariant(QString::fromStdString(tip));
    }
    default:
        return {};
    }
}

QVariant PageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const ListColumn& column = m_columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return QString::fromStdString(column.heading);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(column.headingJustify));
    return {};
}

Qt::ItemFlags PageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void PageListModel::pageChanged() {
    const int rows = m_list.entryCount();
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    if (m_rows > 0) emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

}  // namespace tarvelo::widgets
