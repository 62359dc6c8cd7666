// The four views of the piece-work timesheet (piece work, maintenance works, work at the
// average piece rate, all together): their captions and column layout, their statements over
// the month's timesheet rows, and the month's totals of the whole workshop.
#pragma once

#include "timesheets/TimesheetMonth.h"

#include <QString>
#include <QVariant>

class Database;
class Dataset;

enum class PieceworkView { Piecework = 9, Maintenance = 14, AverageRate = 15, General = 17 };

struct PieceworkViewInfo {
    PieceworkView view;
    QString name;      // on the command line: piecework, maintenance, average, all
    QString caption;   // window caption
    int nameWidth;     // width of the name column in a 31-day month
    bool nightColumn;  // the day/night column is shown
    bool hourlyColumn; // the "Час (р.)" column is shown (and exported)
};

const PieceworkViewInfo& viewInfo(PieceworkView view);
// The view of a command-line name; false for an unknown name.
bool pieceworkViewByName(const QString& name, PieceworkView* view);

// The grid statement of a view: one line per worker (per worker and day/night flag in the
// maintenance and average-rate views) with the day hours, hours, earnings and earnings per hour.
QString pieceworkViewSql(PieceworkView view);
// Sets the month's parameters of a view's statement.
void setPieceworkMonth(Dataset& query, PieceworkView view, const TimesheetMonth& month);

// The month's earnings of the whole workshop: null when the month has no qualifying record
// (all is 0 then).
struct PieceworkTotals {
    QVariant averageRate; // work at the average piece rate
    QVariant maintenance; // maintenance works
    QVariant piecework;   // the journal
    QVariant all;
};
PieceworkTotals readPieceworkTotals(Database& db, const TimesheetMonth& month);
