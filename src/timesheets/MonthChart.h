// The month at a glance: the workshop's amount and hours per day of the month, and per worker
// the earnings per hour against the workshop's, for one view of the piece-work timesheet.
#pragma once

#include "timesheets/PieceworkViews.h"

#include <QImage>
#include <QWidget>

class Database;
class Dataset;
class QChartView;
class QScrollArea;

class MonthChart : public QWidget {
    Q_OBJECT
public:
    explicit MonthChart(QWidget* parent = nullptr);

    // Draws the month of the view: the days from the view's records, the workers from its lines
    // (the open statement of the view). Throws DbError when the days cannot be read.
    void showMonth(Database& db, PieceworkView view, const TimesheetMonth& month, const Dataset& lines);

    // The workshop's figures of each day (index 0 is the 1st) and of the month, as drawn.
    const QList<double>& dayAmounts() const { return m_dayAmounts; }
    const QList<double>& dayHours() const { return m_dayHours; }
    // Per worker's line: his name (with "дн."/"ноч." where the view has it) and earnings per hour.
    const QStringList& workerNames() const { return m_workerNames; }
    const QList<double>& workerRates() const { return m_workerRates; }
    double workshopRate() const { return m_workshopRate; }

    // Both charts one under the other, at the size they are drawn.
    QImage picture();

    // The statement of the days: day, amount and hours of the view's records in the month.
    static QString daysSql(PieceworkView view);

private:
    QChartView* m_daysView;
    QChartView* m_workersView;
    QScrollArea* m_workersArea;
    QList<double> m_dayAmounts, m_dayHours, m_workerRates;
    QStringList m_workerNames;
    double m_workshopRate = 0;
};
