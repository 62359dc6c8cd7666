// Maintenance works window "Хоз. работы (25)": the entries of one day of maintenance works and
// of work at the average piece rate; adds, changes and deletes them and runs the calculation
// of the average piece rate.
#pragma once

#include "data/Dataset.h"
#include "ui/ResultGridModel.h"

#include <QDialog>

class Database;
class MaintenanceEntryEditor;
class NomenclatureGroupsDialog;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class RecordHistoryDialog;
class WorkersDialog;

class MaintenanceWorksWindow : public QDialog {
    Q_OBJECT
public:
    MaintenanceWorksWindow(Database& db, WorkersDialog& workerPicker, NomenclatureGroupsDialog& groupPicker,
                           QWidget* parent = nullptr);

    // Shows the window modally on the day, "Выходной" ticked on Saturdays and Sundays and cleared
    // otherwise.
    void showDay(const QDate& day);

    // Whether the user may add, change and delete entries and compute the average rate; without
    // it the window only shows the days.
    void setEditable(bool editable);

    // The entries of the day shown.
    Dataset& dayList() { return m_dayList; }
    // Whether the day shown lies in a closed month: its entries are not changed then.
    bool monthClosed() const { return m_monthClosed; }

public slots:
    void addEntry();
    void changeEntry();
    void deleteEntry();
    void computeAverageRates();
    // The versions of the current entry ("История").
    void showEntryHistory();
    // Reads the day's entries again; the current row number stays (on the last row when the
    // list became shorter).
    void refreshList();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private slots:
    // A day picked by the user: "Выходной" ticked on Saturdays and Sundays, cleared otherwise.
    void changeDay(const QDate& day);
    // "Выходной" drawn bold on red while ticked.
    void showDayOffLooks(bool dayOff);

private:
    // Reads whether the month of the day shown is closed and shows it: "Месяц закрыт", and the
    // buttons that write disabled.
    void readMonthClosing();

    Database& m_db;
    MaintenanceEntryEditor* m_editor;
    Dataset m_dayList;
    ResultGridModel m_dayListModel{m_dayList}; // how the grid shows the day's entries
    bool m_monthClosed = false;

    QTableView* m_dayGrid;
    QDateEdit* m_dateEdit;
    QCheckBox* m_dayOffCheck;
    QLabel* m_monthClosedLabel;
    QPushButton* m_addButton;
    QPushButton* m_changeButton;
    QPushButton* m_deleteButton;
    QPushButton* m_averageRateButton;
    QPushButton* m_historyButton;
    QPushButton* m_exitButton;
    RecordHistoryDialog* m_historyDialog;
    bool m_editable = true;
};
