// A timesheet grid's model with styled column titles.
#include "timesheets/TimesheetGridModel.h"

void TimesheetGridModel::setTitleStyle(TitleStyle style) {
    m_titleStyle = std::move(style);
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QVariant TimesheetGridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role == Qt::DisplayRole || o != Qt::Horizontal || !m_titleStyle)
        return ResultGridModel::headerData(section, o, role);
    return m_titleStyle(section, role);
}
