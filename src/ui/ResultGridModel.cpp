// The grid model over a dataset: the columns a grid shows, their titles, widths, texts and looks.
#include "ui/ResultGridModel.h"

#include "data/Dataset.h"

ResultGridModel::ResultGridModel(Dataset& rows, QObject* parent) : QAbstractTableModel(parent), m_rows(rows) {
    connect(&rows, &Dataset::rowsAboutToBeReplaced, this, [this] { beginResetModel(); });
    connect(&rows, &Dataset::rowsReplaced, this, [this] { endResetModel(); });
    connect(&rows, &Dataset::rowsAboutToBeAppended, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&rows, &Dataset::rowsAppended, this, [this] { endInsertRows(); });
    connect(&rows, &Dataset::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(&rows, &Dataset::rowRemoved, this, [this] { endRemoveRows(); });
    connect(&rows, &Dataset::rowChanged, this, [this](int row) {
        if (columnCount() > 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void ResultGridModel::setColumns(const QList<GridColumn>& columns) {
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.recordCount();
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_columns.isEmpty() ? m_rows.fieldCount() : int(m_columns.size());
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.recordCount())
        return {};
    if (m_columns.isEmpty()) {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        const QVariant v = m_rows.valueAt(index.row(), index.column());
        return index.column() < m_rows.fieldCount() ? m_rows.displayText(v, index.column()) : QVariant();
    }
    const GridColumn& c = m_columns[index.column()];
    const int column = m_rows.fieldIndex(c.field);
    const QVariant v = m_rows.valueAt(index.row(), column);
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return c.format ? c.format(v) : m_rows.displayText(v, column);
    if (role == Qt::TextAlignmentRole && c.alignment)
        return QVariant::fromValue(c.alignment);
    return c.style ? c.style(v, role) : QVariant();
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    if (m_columns.isEmpty())
        return section < m_rows.fieldCount() ? m_rows.fieldNames()[section] : QVariant();
    return section < m_columns.size() ? m_columns[section].title : QVariant();
}
