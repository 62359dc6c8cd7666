// A calendar month of the timesheets: its period, its days and weekends, the month names of the
// month lists, and the colours the timesheet grids share.
#pragma once

#include <QColor>
#include <QDate>
#include <QStringList>

struct TimesheetMonth {
    int month = 1; // 1..12
    int year = 2000;

    // The period is half-open: from the first day of the month to the first day of the next
    // (1 January of the following year for December).
    QDate first() const { return QDate(year, month, 1); }
    QDate next() const { return first().addMonths(1); }
    int days() const { return first().daysInMonth(); }
    bool isWeekend(int day) const;
    // "Март 2024"
    QString title() const;

    static TimesheetMonth of(const QDate& day) { return {day.month(), day.year()}; }
};

// "Январь" … "Декабрь"; item index + 1 is the month number.
QStringList monthNames();

// Colours of the timesheet grids.
namespace timesheetcolors {
QColor weekend();    // red: Saturdays and Sundays
QColor silver();     // empty days, titles of days beyond the month
QColor totals();     // light blue background of the total columns
QColor overtime();   // light green background of a day above eight hours
QColor normalText(); // the window-text colour
QColor background(); // the window background colour (a value in it does not show)
} // namespace timesheetcolors
