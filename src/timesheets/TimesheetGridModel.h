// A timesheet grid's model: its column titles can be coloured and set in bold (weekend days in
// red, days beyond the month in silver).
#pragma once

#include "ui/ResultGridModel.h"

#include <functional>

class TimesheetGridModel : public ResultGridModel {
    Q_OBJECT
public:
    using ResultGridModel::ResultGridModel;
    // The looks of a column title by role (font, text colour); the text stays the column's title.
    using TitleStyle = std::function<QVariant(int column, int role)>;
    void setTitleStyle(TitleStyle style);

    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

private:
    TitleStyle m_titleStyle;
};
