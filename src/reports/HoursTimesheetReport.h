// Printed hours timesheet: one line per worker with the hours of each day of the month
// (all shifts and kinds of work added together) and the month's total; A4 landscape.
#pragma once

#include "reports/ReportLayoutBase.h"

// The hours timesheet window prints a month with previewMonth(); its Excel export reads the
// same rows (fields fio, sd1 .. sd31) after openMonth(), and closes query() afterwards.
class HoursTimesheetReport : public ReportLayoutBase {
    Q_OBJECT
public:
    // The query "H_Tabel" runs on the database's connection.
    explicit HoursTimesheetReport(Database& db, QObject* parent = nullptr);

    // Opens the rows of the month (1..12) of the year: one per worker, ordered by name.
    void openMonth(int month, int year);

    // Opens the month, puts the title ("Март 2024 г.") in place of "Данные за:", shows the
    // preview modally, zoomed to the whole page, and closes the rows again (also when the
    // preview fails).
    void previewMonth(int month, int year, const QString& title, QWidget* parent = nullptr);

    static QString reportSql();
};
