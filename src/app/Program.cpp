#include "app/Program.h"

#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "journal/WorkRecordEditor.h"
#include "refbooks/NomenclatureGroupEditor.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "refbooks/NormsDialog.h"
#include "refbooks/OperationPriceEditor.h"
#include "refbooks/OperationPricesDialog.h"
#include "refbooks/OperationTypeEditor.h"
#include "refbooks/OperationTypesDialog.h"
#include "refbooks/ProductEditor.h"
#include "refbooks/ProductsDialog.h"
#include "refbooks/WorkerEditor.h"
#include "refbooks/WorkersDialog.h"
#include "reports/HoursTimesheetReport.h"
#include "reports/ProductsDetailReport.h"
#include "reports/ProductsReport.h"
#include "reports/ReportsDialog.h"
#include "reports/WorkersDetailReport.h"
#include "reports/WorkersReport.h"
#include "ui/Seams.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

TabelApplication::TabelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("tabel"));
    setQuitOnLastWindowClosed(false);
    // The windows are laid out for Tahoma 8 pt; where it is missing, a condensed face of
    // similar width keeps the columns' texts whole.
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"));
}

void showException(const QString& text) {
    seams::showMessage({QStringLiteral("Табель"), text, QMessageBox::Critical, QMessageBox::Ok});
}

bool TabelApplication::notify(QObject* receiver, QEvent* e) {
    try {
        return QApplication::notify(receiver, e);
    } catch (const DbError& err) {
        showException(err.message);
    } catch (const std::exception& err) {
        showException(QString::fromUtf8(err.what()));
    } catch (...) {
        showException(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void loadTranslations(QApplication& app) {
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
}

// Every window exists once from start-up to the end, created hidden in this order.
static void createWindows() {
    g_workerEditor = new WorkerEditor;
    g_productsDialog = new ProductsDialog;
    g_operationPricesDialog = new OperationPricesDialog;
    g_workersDialog = new WorkersDialog;
    g_productEditor = new ProductEditor;
    g_operationTypesDialog = new OperationTypesDialog;
    g_operationTypeEditor = new OperationTypeEditor;
    g_operationPriceEditor = new OperationPriceEditor;
    g_workRecordEditor = new WorkRecordEditor;
    g_reportsDialog = new ReportsDialog;
    g_hoursTimesheetReport = new HoursTimesheetReport;
    g_workersReport = new WorkersReport;
    g_productsReport = new ProductsReport;
    g_workersDetailReport = new WorkersDetailReport;
    g_productsDetailReport = new ProductsDetailReport;
    g_normsDialog = new NormsDialog;
    g_nomenclatureGroupsDialog = new NomenclatureGroupsDialog;
    g_nomenclatureGroupEditor = new NomenclatureGroupEditor;
}

static void deleteWindows() {
    delete g_workerEditor;
    g_workerEditor = nullptr;
    delete g_productsDialog;
    g_productsDialog = nullptr;
    delete g_operationPricesDialog;
    g_operationPricesDialog = nullptr;
    delete g_workersDialog;
    g_workersDialog = nullptr;
    delete g_productEditor;
    g_productEditor = nullptr;
    delete g_operationTypesDialog;
    g_operationTypesDialog = nullptr;
    delete g_operationTypeEditor;
    g_operationTypeEditor = nullptr;
    delete g_operationPriceEditor;
    g_operationPriceEditor = nullptr;
    delete g_workRecordEditor;
    g_workRecordEditor = nullptr;
    delete g_reportsDialog;
    g_reportsDialog = nullptr;
    delete g_hoursTimesheetReport;
    g_hoursTimesheetReport = nullptr;
    delete g_workersReport;
    g_workersReport = nullptr;
    delete g_productsReport;
    g_productsReport = nullptr;
    delete g_workersDetailReport;
    g_workersDetailReport = nullptr;
    delete g_productsDetailReport;
    g_productsDetailReport = nullptr;
    delete g_normsDialog;
    g_normsDialog = nullptr;
    delete g_nomenclatureGroupsDialog;
    g_nomenclatureGroupsDialog = nullptr;
    delete g_nomenclatureGroupEditor;
    g_nomenclatureGroupEditor = nullptr;
}

bool startProgram(const QStringList& args, const QString& buildDateText, const QString& buildTimeText) {
    g_mainWindow = new MainWindow;
    g_mainWindow->buildDateText = buildDateText;
    g_mainWindow->buildTimeText = buildTimeText;
    try {
        g_mainWindow->FormCreate(args);
    } catch (const std::exception&) {
        seams::errorBox(QStringLiteral("Подключение к БД отсутсвует!!!"), QStringLiteral("Ошибка!"));
        seams::endProgram(1);
        return false;
    }
    createWindows();
    return true;
}

void shutdownProgram() {
    deleteWindows();
    delete g_loginDialog;
    delete g_mainWindow; // owns the data module
    g_loginDialog = nullptr;
    g_mainWindow = nullptr;
    g_database = nullptr;
}
