// Window "Итоги месяца для расчета": the month handed to payroll, one line per worker with the
// hours and earnings of piece work, maintenance works and average-rate work and their sums,
// and the totals line; writes it into a workbook or a CSV file for the payroll program.
#pragma once

#include "timesheets/TimesheetMonth.h"

#include <QDialog>

class Database;
class Dataset;
class QComboBox;
class QPushButton;
class QTableView;
class ResultGridModel;

class PayrollSummaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit PayrollSummaryWindow(Database& db, QWidget* parent = nullptr);

    // Shows the month of the computer's date, modally; the lines are closed again afterwards.
    void showMonth();

    TimesheetMonth month() const { return m_month; }
    Dataset& lines() { return *m_lines; }

public slots:
    // Shows the month and year chosen in the lists.
    void applyMonth();
    // Writes the month into a new workbook and shows it.
    void exportToExcel();
    // Writes the workers' lines into a CSV file for the payroll program and shows it.
    void exportToCsv();

private:
    void fillYears(int selectYear);
    void layOutColumns();

    Database& m_db;
    Dataset* m_lines;
    ResultGridModel* m_linesModel; // the grid's columns over the lines
    TimesheetMonth m_month;

    QComboBox* m_monthBox;
    QComboBox* m_yearBox;
    QTableView* m_payrollGrid;
    QPushButton* m_excelButton;
    QPushButton* m_csvButton;
    QPushButton* m_exitButton;
};
