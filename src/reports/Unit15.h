// Printed hours timesheet: one line per worker with the hours of each day of the month
// (all shifts and kinds of work added together) and the month's total; A4 landscape.
#pragma once

#include "ReportLayoutBase.h"

// How the hours timesheet prints a month:
//     Form15->H_Tabel.setParam("mnth", month);   // 1..12
//     Form15->H_Tabel.setParam("yea", year);
//     Form15->H_Tabel.open();
//     Form15->setTitle("Март 2024 г.");          // the label QRLabel33
//     Form15->preview();                         // modal preview, whole page
//     Form15->H_Tabel.close();
// or all of it at once with printMonth(). The Excel export reads the same query H_Tabel
// (fields fio, sd1 .. sd31).
class TForm15 : public TReportLayout {
    Q_OBJECT
public:
    TForm15();
    ~TForm15() override;

    // Parameters mnth (month 1..12) and yea (year), both integers.
    ReportQuery H_Tabel;
    ReportQuery& query() override { return H_Tabel; }

    // Sets the parameters, opens H_Tabel, sets the title label, shows the preview and closes
    // H_Tabel again (also when the preview fails).
    void printMonth(int month, int year, const QString& title, QWidget* parent = nullptr);

    static QString reportSql();
};

extern TForm15* Form15;
