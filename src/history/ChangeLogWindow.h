// "Журнал изменений": the changes of a period, filtered by worker, user and kind, with the
// versions of the record of a change, its export into a spreadsheet and, with full access, the
// restoring of a deleted work record or maintenance entry.
#pragma once

#include "data/Dataset.h"
#include "ui/ResultGridModel.h"

#include <QDialog>

class Database;
class DateBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class RecordHistoryDialog;

class ChangeLogWindow : public QDialog {
    Q_OBJECT
public:
    // mayRestore: the user may restore deleted records (full access).
    ChangeLogWindow(Database& db, bool mayRestore, QWidget* parent = nullptr);

    // Opens on the last seven days and shows the window modally.
    void showChanges();
    const Dataset& changes() const { return m_changes; }

public slots:
    // Reads the list of the period with the filters set.
    void refresh();
    // The versions of the record of the current change.
    void showHistory();
    // Restores the deleted record of the current change, after the user's yes.
    void restoreCurrent();
    // Puts the list into a spreadsheet.
    void exportToSpreadsheet();

private:
    void createWidgets();
    // Fills the worker and user filters, keeping what was chosen.
    void fillFilters();
    void enableButtons();

    Database& m_db;
    bool m_mayRestore;
    bool m_installed = false;
    Dataset m_changes;
    ResultGridModel m_changesModel;
    RecordHistoryDialog* m_historyDialog;

    QLabel* m_noteLabel;
    QLabel* m_fromLabel;
    DateBox* m_fromEdit;
    QLabel* m_toLabel;
    DateBox* m_toEdit;
    QLabel* m_workerLabel;
    QComboBox* m_workerCombo;
    QLabel* m_userLabel;
    QComboBox* m_userCombo;
    QLabel* m_kindLabel;
    QComboBox* m_kindCombo;
    QPushButton* m_refreshButton;
    QTableView* m_changesGrid;
    QPushButton* m_historyButton;
    QPushButton* m_restoreButton;
    QPushButton* m_exportButton;
    QPushButton* m_exitButton;
};
