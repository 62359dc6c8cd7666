// The month handed to payroll: one line per worker with the hours and earnings of the four
// piece-work timesheet views side by side, the workshop's totals line, and the forms it leaves
// the program in (a spreadsheet sheet, a CSV file for a payroll program).
#pragma once

#include "timesheets/TimesheetMonth.h"
#include "timesheets/TimesheetSheets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class Dataset;

// The columns in their order: the field of the statement, its title, and whether it is money
// (two decimals) or a whole number.
struct PayrollColumn {
    QString field;
    QString title;
    bool money;
};
const QList<PayrollColumn>& payrollColumns();

// The statement: the four views' own statements for the month, their lines added up per
// worker (the maintenance and average-rate views have a line per day/night flag), one line per
// worker of the general view ordered by name, and last the line "Итого" (no tab number) with
// the sums of the lines. Hours are whole numbers, money has two decimals; "Час (р.)" is all
// money over all hours, 0 without hours.
QString payrollSql();
// Sets the month's parameters of the statement.
void setPayrollMonth(Dataset& rows, const TimesheetMonth& month);
// The caption of the totals line.
inline const QString kPayrollTotalCaption = QStringLiteral("Итого");

// The title of what is exported: "Итоги месяца для расчета Март 2024".
QString payrollSubject(const TimesheetMonth& month);

// A value of the open statement's line as the screen shows it: money with two decimals and the
// workstation's decimal separator, hours as whole numbers; the name as it is.
QString payrollText(const Dataset& rows, int line, const PayrollColumn& column);

// The title "Итоги месяца для расчета Март 2024", the titles and every line of the open
// statement with the totals line in bold; numbers as numbers, the names as texts.
void writePayrollSheet(const Dataset& rows, const TimesheetMonth& month, const SheetCellWriter& put);

// The workers' lines as a payroll program loads them: UTF-8, the titles on the first line,
// fields separated by ";", a decimal comma, lines ended by CR LF; the totals line is left out
// (it is no worker). A field holding ";", a quote or a line break is quoted.
QByteArray payrollCsv(const Dataset& rows);
