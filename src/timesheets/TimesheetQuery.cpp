// A timesheet grid's statement with styled column titles.
#include "timesheets/TimesheetQuery.h"

void TimesheetQuery::setTitleStyle(TitleStyle style) {
    m_titleStyle = std::move(style);
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QVariant TimesheetQuery::headerData(int section, Qt::Orientation o, int role) const {
    if (role == Qt::DisplayRole || o != Qt::Horizontal || !m_titleStyle)
        return Dataset::headerData(section, o, role);
    return m_titleStyle(section, role);
}
