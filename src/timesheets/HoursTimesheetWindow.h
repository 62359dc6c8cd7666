// Hours timesheet window "Табель по времени": the hours of each worker on each day of one month,
// one tab per shift; rebuilds the month's shift rows from the journal, exports the hours of all
// shifts together and prints them.
#pragma once

#include "timesheets/TimesheetMonth.h"

#include <QDate>
#include <QDialog>

class Database;
class Dataset;
class HoursTimesheetReport;
class QComboBox;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class T13TextsDialog;
class TimesheetGridModel;

class HoursTimesheetWindow : public QDialog {
    Q_OBJECT
public:
    explicit HoursTimesheetWindow(Database& db, QWidget* parent = nullptr);

    // Shows the month of the journal date, modally; the shift statements are closed again when
    // the window has been closed.
    void showMonth(const QDate& journalDate);

    TimesheetMonth month() const { return m_month; }
    HoursTimesheetReport& report() { return *m_report; }

public slots:
    // Shows the month and year chosen in the lists on the three tabs.
    void applyMonth();
    // Reads the three shifts' rows again.
    void refresh();
    // Writes the month's shift rows again from the journal.
    void rebuild();
    // Writes the month's hours of all shifts into a new workbook and shows it.
    void exportToExcel();
    // Shows the printed hours timesheet of the month in the preview.
    void print();
    // Shows the month on the form T-13 in the preview; asks once for the organisation and
    // department when the settings files name none.
    void printT13();

protected:
    bool event(QEvent* e) override;

private:
    void fillYears(const QDate& journalDate);
    void openShifts();
    void closeShifts();
    void layOutDays(int shift);
    // The export of exportToExcel, which runs it with its errors shown.
    void writeExport();

    Database& m_db;
    HoursTimesheetReport* m_report;
    TimesheetMonth m_month;

    QTabWidget* m_shiftTabs;
    QTableView* m_shiftGrids[4]; // shifts 1 to 3 and the overtime
    // The rows of each shift (children of the window), and how its grid shows them.
    Dataset* m_shiftRows[4];
    TimesheetGridModel* m_shiftModels[4];
    QComboBox* m_monthBox;
    QComboBox* m_yearBox;
    QPushButton* m_rebuildButton;
    QProgressBar* m_progressBar;
    QPushButton* m_excelButton;
    QPushButton* m_printButton;
    QPushButton* m_t13Button;
    T13TextsDialog* m_t13TextsDialog;
    QPushButton* m_refreshButton;
    QPushButton* m_exitButton;
};
