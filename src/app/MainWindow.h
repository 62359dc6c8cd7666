// Main window "Табель": the frame of the journal with the main menu, the exit and maintenance-work
// buttons. It owns the windows it opens, created once and kept for the whole run.
#pragma once

#include "ui/Permissions.h"

#include <QAction>
#include <QDialog>
#include <functional>

class Database;
class HoursTimesheetWindow;
class JournalView;
class MaintenanceWorksWindow;
class MonthClosingWindow;
class ChangeLogWindow;
class NomenclatureGroupsDialog;
class OperationPricesDialog;
class OperationTypesDialog;
class PayrollSummaryWindow;
class PieceworkTimesheetWindow;
class ProductsDialog;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class ReportsDialog;
class UsersDialog;
class WorkRecordEditor;
class WorkersDialog;

class MainWindow : public QDialog {
    Q_OBJECT
public:
    MainWindow(Database& db, const Permissions& permissions, QWidget* parent = nullptr);
    ~MainWindow() override;

    JournalView& journal() { return *m_journalView; }
    // The caption names the user logged in by a code of its own ("Табель — Иванов И. И."); an
    // empty name (a built-in code) leaves it "Табель".
    void showUserName(const QString& userName);

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void createMenu();
    void createFrameWidgets();
    void applyPermissions();
    void importLegacyData();
    QAction* addAction(const char* name, const QString& caption);
    void connectTimesheets();
    QMenu* addMenu(const char* name, const QString& caption, const QList<QAction*>& actions);
    // Runs a window the frame opens (modally), then shows the journal of today again.
    void openFromJournal(const std::function<void()>& open);
    template <class Window> void openOnAction(QAction* action, Window* window, void (Window::*show)()) {
        connect(action, &QAction::triggered, this,
                [this, window, show] { openFromJournal([=] { (window->*show)(); }); });
    }

    Database& m_db;
    Permissions m_permissions;

    // The windows this one opens.
    WorkersDialog* m_workersDialog;
    ProductsDialog* m_productsDialog;
    OperationTypesDialog* m_operationTypesDialog;
    OperationPricesDialog* m_operationPricesDialog;
    NomenclatureGroupsDialog* m_nomenclatureGroupsDialog;
    ReportsDialog* m_reportsDialog;
    PieceworkTimesheetWindow* m_pieceworkTimesheetWindow;
    HoursTimesheetWindow* m_hoursTimesheetWindow;
    PayrollSummaryWindow* m_payrollSummaryWindow;
    WorkRecordEditor* m_workRecordEditor;
    MaintenanceWorksWindow* m_maintenanceWorksWindow;
    MonthClosingWindow* m_monthClosingWindow;
    UsersDialog* m_usersDialog;
    ChangeLogWindow* m_changeLogWindow;
    JournalView* m_journalView;
    bool m_journalShown = false;

    QMenuBar* m_menuBar;
    QMenu* m_referenceBooksMenu;
    QAction* m_workersAction;
    QAction* m_productsAction;
    QAction* m_operationPricesAction;
    QAction* m_operationTypesAction;
    QAction* m_nomenclatureGroupsAction;
    QAction* m_usersAction;
    QMenu* m_timesheetsMenu;
    QAction* m_pieceworkTimesheetAction;
    QAction* m_shiftTimesheetAction;
    QAction* m_maintenanceTimesheetAction;
    QAction* m_averageRateTimesheetAction;
    QAction* m_generalTimesheetAction;
    QAction* m_payrollSummaryAction;
    QMenu* m_reportsMenu;
    QAction* m_summaryReportsAction;
    QAction* m_monthClosingAction;
    QAction* m_changeLogAction;
    QAction* m_exitAction;
    QAction* m_importAction;

    QLabel* m_noteLabel;
    QLabel* m_importProgressLabel;
    QPushButton* m_maintenanceWorksButton;
    QPushButton* m_exitButton;
};
