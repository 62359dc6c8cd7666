// Main window "Табель": the frame of the journal, the main menu and the windows it opens.
#include "app/MainWindow.h"
#include "ui/WindowGeometry.h"

#include "data/Database.h"
#include "history/ChangeLogWindow.h"
#include "import/ImportConnections.h"
#include "import/InteractiveImport.h"
#include "journal/JournalView.h"
#include "journal/WorkRecordEditor.h"
#include "maintenance/MaintenanceWorksWindow.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/OperationTypesDialog.h"
#include "refbooks/ProductsDialog.h"
#include "refbooks/UsersDialog.h"
#include "refbooks/WorkersDialog.h"
#include "reports/ReportsDialog.h"
#include "timesheets/HoursTimesheetWindow.h"
#include "timesheets/MonthClosingWindow.h"
#include "timesheets/PayrollSummaryWindow.h"
#include "timesheets/PieceworkTimesheetWindow.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

MainWindow::MainWindow(Database& db, const Permissions& permissions, QWidget* parent)
    : QDialog(parent), m_db(db), m_permissions(permissions) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Табель"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinMaxButtonsHint);

    m_workersDialog = new WorkersDialog(m_db, this);
    m_productsDialog = new ProductsDialog(m_db, this);
    m_operationTypesDialog = new OperationTypesDialog(m_db, this);
    m_operationPricesDialog =
        new OperationPricesDialog(m_db, *m_productsDialog, *m_operationTypesDialog, this);
    m_nomenclatureGroupsDialog = new NomenclatureGroupsDialog(m_db, this);
    m_reportsDialog = new ReportsDialog(m_db, m_permissions, this);
    m_pieceworkTimesheetWindow = new PieceworkTimesheetWindow(m_db, this);
    m_hoursTimesheetWindow = new HoursTimesheetWindow(m_db, this);
    m_payrollSummaryWindow = new PayrollSummaryWindow(m_db, this);
    m_workRecordEditor = new WorkRecordEditor(m_db, *m_workersDialog, *m_operationPricesDialog, this);
    m_maintenanceWorksWindow =
        new MaintenanceWorksWindow(m_db, *m_workersDialog, *m_nomenclatureGroupsDialog, this);
    m_monthClosingWindow = new MonthClosingWindow(m_db, m_permissions.closeMonths, this);
    m_usersDialog = new UsersDialog(m_db, this);
    m_changeLogWindow = new ChangeLogWindow(m_db, m_permissions.restoreRecords, this);

    createMenu();
    m_journalView = new JournalView(m_db, *m_workRecordEditor, m_permissions, this);
    // First among the children, so that a search by name finds the journal's boxes ("dateEdit")
    // before the like-named ones of the windows this one owns.
    m_journalView->lower();
    createFrameWidgets();
    connectTimesheets();
    // The maintenance works of the journal's day.
    connect(m_maintenanceWorksButton, &QPushButton::clicked, this, [this] {
        openFromJournal([this] { m_maintenanceWorksWindow->showDay(m_journalView->day().date); });
    });
    applyPermissions();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addAction(const char* name, const QString& caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* MainWindow::addMenu(const char* name, const QString& caption, const QList<QAction*>& actions) {
    QMenu* menu = m_menuBar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->addActions(actions);
    return menu;
}

void MainWindow::createMenu() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    m_workersAction = addAction("workersAction", QStringLiteral("Рабочие"));
    m_productsAction = addAction("productsAction", QStringLiteral("Изделия"));
    m_operationPricesAction = addAction("operationPricesAction", QStringLiteral("Цены"));
    m_operationTypesAction = addAction("operationTypesAction", QStringLiteral("Операции"));
    m_nomenclatureGroupsAction = addAction("nomenclatureGroupsAction", QStringLiteral("Ном. группы"));
    m_referenceBooksMenu = addMenu("referenceBooksMenu", QStringLiteral("Справочники"),
                                   {m_workersAction, m_productsAction, m_operationPricesAction,
                                    m_operationTypesAction, m_nomenclatureGroupsAction});
    // Who may log in, under the reference books (full access only).
    m_usersAction = addAction("usersAction", QStringLiteral("Пользователи"));
    m_referenceBooksMenu->addSeparator();
    m_referenceBooksMenu->addAction(m_usersAction);
    m_pieceworkTimesheetAction = addAction("pieceworkTimesheetAction", QStringLiteral("Табель сделка"));
    m_shiftTimesheetAction = addAction("shiftTimesheetAction", QStringLiteral("Табель по сменам"));
    m_maintenanceTimesheetAction =
        addAction("maintenanceTimesheetAction", QStringLiteral("Табель хоз. работ"));
    m_averageRateTimesheetAction =
        addAction("averageRateTimesheetAction", QStringLiteral("Табель ср. сдельная"));
    m_generalTimesheetAction = addAction("generalTimesheetAction", QStringLiteral("Общий табель"));
    m_payrollSummaryAction = addAction("payrollSummaryAction", QStringLiteral("Итоги месяца для расчета"));
    m_timesheetsMenu =
        addMenu("timesheetsMenu", QStringLiteral("Табель"),
                {m_pieceworkTimesheetAction, m_shiftTimesheetAction, m_maintenanceTimesheetAction,
                 m_averageRateTimesheetAction, m_generalTimesheetAction, m_payrollSummaryAction});
    m_summaryReportsAction = addAction("summaryReportsAction", QStringLiteral("Сводные отчеты"));
    // Every role reaches the closed months here: full access closes and reopens, the others look.
    m_monthClosingAction = addAction("monthClosingAction", QStringLiteral("Закрытие месяца"));
    m_reportsMenu = addMenu("reportsMenu", QStringLiteral("Отчеты"), {m_summaryReportsAction});
    m_reportsMenu->addSeparator();
    m_reportsMenu->addAction(m_monthClosingAction);
    // Every role that sees the journal reads the changes; full access also restores.
    m_changeLogAction = addAction("changeLogAction", QStringLiteral("Журнал изменений"));
    m_reportsMenu->addAction(m_changeLogAction);
    m_exitAction = addAction("exitAction", QStringLiteral("Выход"));
    m_menuBar->addAction(m_exitAction);
    // Hidden unless full access meets a workstation with the earlier database's data source.
    m_importAction = addAction("importAction", QStringLiteral("Импорт"));
    m_importAction->setVisible(false);
    m_menuBar->addAction(m_importAction);

    connect(m_exitAction, &QAction::triggered, this, &QDialog::close);
    connect(m_importAction, &QAction::triggered, this, &MainWindow::importLegacyData);
    openOnAction(m_workersAction, m_workersDialog, &WorkersDialog::browse);
    openOnAction(m_productsAction, m_productsDialog, &ProductsDialog::browse);
    openOnAction(m_operationPricesAction, m_operationPricesDialog, &OperationPricesDialog::browse);
    openOnAction(m_operationTypesAction, m_operationTypesDialog, &OperationTypesDialog::browse);
    openOnAction(m_nomenclatureGroupsAction, m_nomenclatureGroupsDialog, &NomenclatureGroupsDialog::browse);
    openOnAction(m_usersAction, m_usersDialog, &UsersDialog::browse);
    openOnAction(m_summaryReportsAction, m_reportsDialog, &ReportsDialog::showForLastMonth);
    openOnAction(m_monthClosingAction, m_monthClosingWindow, &MonthClosingWindow::showMonths);
    openOnAction(m_changeLogAction, m_changeLogWindow, &ChangeLogWindow::showChanges);
}

void MainWindow::connectTimesheets() {
    const std::pair<QAction*, PieceworkView> views[] = {
        {m_pieceworkTimesheetAction, PieceworkView::Piecework},
        {m_maintenanceTimesheetAction, PieceworkView::Maintenance},
        {m_averageRateTimesheetAction, PieceworkView::AverageRate},
        {m_generalTimesheetAction, PieceworkView::General}};
    for (const auto& [action, view] : views)
        connect(action, &QAction::triggered, m_pieceworkTimesheetWindow, [this, view] {
            openFromJournal([this, view] { m_pieceworkTimesheetWindow->showView(view); });
        });
    // The hours timesheet opens on the month of the journal date.
    connect(m_shiftTimesheetAction, &QAction::triggered, m_hoursTimesheetWindow, [this] {
        openFromJournal([this] { m_hoursTimesheetWindow->showMonth(m_journalView->day().date); });
    });
    connect(m_payrollSummaryAction, &QAction::triggered, m_payrollSummaryWindow,
            [this] { openFromJournal([this] { m_payrollSummaryWindow->showMonth(); }); });
}

void MainWindow::createFrameWidgets() {
    m_noteLabel = new QLabel(this);
    m_noteLabel->setObjectName(QStringLiteral("noteLabel"));
    m_noteLabel->setVisible(false);
    m_importProgressLabel = new QLabel(this);
    m_importProgressLabel->setObjectName(QStringLiteral("importProgressLabel"));
    m_importProgressLabel->setVisible(false);
    m_maintenanceWorksButton =
        makeButton(this, QStringLiteral("maintenanceWorksButton"), QStringLiteral("Ср.сд./хоз. работы"));
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);

    // The frame's widgets close the journal's rows above and under the grid.
    m_journalView->headerRow()->addWidget(m_noteLabel);
    QBoxLayout* bottom = m_journalView->buttonRow();
    bottom->addWidget(m_importProgressLabel, 1);
    bottom->addStretch();
    bottom->addWidget(m_maintenanceWorksButton);
    bottom->addSpacing(20);
    bottom->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_journalView, 1);
    // Client area 1281 × 585 under the menu at the default size; the window can be resized
    // (the grid takes the room and scrolls), and it is kept within a smaller screen.
    rememberGeometry(this, QStringLiteral("MainWindow"), QSize(1281, 585 + m_menuBar->sizeHint().height()));
}

void MainWindow::applyPermissions() {
    const Permissions& p = m_permissions;
    m_referenceBooksMenu->menuAction()->setEnabled(p.referenceBooks);
    m_usersAction->setEnabled(p.manageUsers);
    m_timesheetsMenu->menuAction()->setEnabled(p.timesheets || p.payrollSummary);
    for (QAction* timesheet :
         {m_pieceworkTimesheetAction, m_shiftTimesheetAction, m_maintenanceTimesheetAction,
          m_averageRateTimesheetAction, m_generalTimesheetAction})
        timesheet->setEnabled(p.timesheets);
    m_payrollSummaryAction->setEnabled(p.payrollSummary);
    m_maintenanceWorksWindow->setEditable(p.changeMaintenance);
    m_importAction->setVisible(p.legacyImport && hasOdbcDataSource(kLegacySourceDsn));
}

void MainWindow::showUserName(const QString& userName) {
    setWindowTitle(userName.isEmpty() ? QStringLiteral("Табель") : QStringLiteral("Табель — ") + userName);
}

void MainWindow::importLegacyData() {
    runInteractiveImport(m_db.connection().database(), *m_importProgressLabel);
    // The journal shows what the import may have replaced.
    m_journalView->refresh();
}

void MainWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The first showing after login reads the journal of the computer's date, once the window
    // is on screen. Later activations (after a message box, a question, or from another
    // program) leave the day and the row alone.
    if (!m_journalShown) {
        m_journalShown = true;
        QTimer::singleShot(0, m_journalView, &JournalView::showToday);
    }
}

void MainWindow::openFromJournal(const std::function<void()>& open) {
    open();
    // Back from a window the frame opened, the journal shows the computer's date again.
    m_journalView->showToday();
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    // Esc presses "Выход" once the user says so: a stray Esc does not end the work.
    if (e->key() == Qt::Key_Escape) {
        if (seams::confirmDestructive(QStringLiteral("Выход"),
                                      QStringLiteral("Завершить работу с программой?"), QString()))
            m_exitButton->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
