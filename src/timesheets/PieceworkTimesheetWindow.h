// Piece-work timesheet window: one month of one view (piece work, maintenance works, work at the
// average piece rate, all together) with the day hours and totals of each worker and the month's
// totals of the workshop; rebuilds the maintenance rows of the month and exports the grid.
#pragma once

#include "timesheets/PieceworkViews.h"

#include <QDialog>

class Database;
class Dataset;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class TimesheetGridModel;

class PieceworkTimesheetWindow : public QDialog {
    Q_OBJECT
public:
    explicit PieceworkTimesheetWindow(Database& db, QWidget* parent = nullptr);

    // Shows the view for the month of the computer's date, modally; its statement is closed and
    // the "Excel" caption reset when the window has been closed.
    void showView(PieceworkView view);

    PieceworkView view() const { return m_view; }
    // The month and year the grid shows.
    TimesheetMonth month() const { return m_month; }
    Dataset& currentQuery() { return *m_current; }

public slots:
    // Shows the month and year chosen in the lists, with the month's totals.
    void applyMonth();
    // Reads the grid's rows again; the totals stay as they are.
    void refresh();
    // Writes the month's maintenance and average-rate rows again from their records.
    void rebuild();
    // Writes the grid into a new workbook and shows it.
    void exportToExcel();

private:
    void setView(PieceworkView view);
    void fillYears(int selectYear);
    TimesheetMonth chosenMonth() const;
    void openCurrent();
    void layOutColumns();
    void showTotals(const PieceworkTotals& totals);
    // The export of exportToExcel, which runs it with its errors shown.
    void writeExport();

    Database& m_db;
    // The rows of each view (children of the window), and how the grid shows them.
    Dataset* m_queries[4];
    TimesheetGridModel* m_models[4];
    Dataset* m_current;
    TimesheetGridModel* m_currentModel;
    PieceworkView m_view = PieceworkView::Piecework;
    TimesheetMonth m_month;

    QTableView* m_timesheetGrid;
    QComboBox* m_monthBox;
    QComboBox* m_yearBox;
    QLabel* m_averageRateTotalLabel;
    QLabel* m_maintenanceTotalLabel;
    QLabel* m_pieceworkTotalLabel;
    QLabel* m_allTotalLabel;
    QPushButton* m_excelButton;
    QPushButton* m_refreshButton;
    QPushButton* m_rebuildButton;
    QProgressBar* m_progressBar;
    QPushButton* m_exitButton;
};
