// Printed hours timesheet: one line per worker with the hours of each day of the month
// (all shifts and kinds of work added together) and the month's total; A4 landscape.
#pragma once

#include "reports/ReportLayoutBase.h"

// How the hours timesheet prints a month:
//     g_hoursTimesheetReport->H_Tabel.setParam("mnth", month);   // 1..12
//     g_hoursTimesheetReport->H_Tabel.setParam("yea", year);
//     g_hoursTimesheetReport->H_Tabel.open();
//     g_hoursTimesheetReport->setTitle("Март 2024 г.");          // the label QRLabel33
//     g_hoursTimesheetReport->preview();                         // modal preview, whole page
//     g_hoursTimesheetReport->H_Tabel.close();
// or all of it at once with printMonth(). The Excel export reads the same query H_Tabel
// (fields fio, sd1 .. sd31).
class HoursTimesheetReport : public TReportLayout {
    Q_OBJECT
public:
    HoursTimesheetReport();
    ~HoursTimesheetReport() override;

    // Parameters mnth (month 1..12) and yea (year), both integers.
    ReportQuery H_Tabel;
    ReportQuery& query() override { return H_Tabel; }

    // Sets the parameters, opens H_Tabel, sets the title label, shows the preview and closes
    // H_Tabel again (also when the preview fails).
    void printMonth(int month, int year, const QString& title, QWidget* parent = nullptr);

    static QString reportSql();
};

extern HoursTimesheetReport* g_hoursTimesheetReport;
