// Reports dialog "Отчеты (8)": the period and product kind, the four printed summary reports
// and the Excel summary.
#pragma once

#include "reports/ReportQuery.h"

#include <QDialog>
#include <QElapsedTimer>

class Database;
class ProductsDetailReport;
class ProductsReport;
class QDateEdit;
class QProgressDialog;
class QPushButton;
class RadioGroup;
class ReportLayoutBase;
class WorkersDetailReport;
class WorkersReport;
struct Permissions;
enum class SummaryReport;

class ReportsDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog enables its reports, the Excel summary and the product-kind choice as the
    // permissions allow, and fixes the product kind where they name one.
    ReportsDialog(Database& db, const Permissions& permissions, QWidget* parent = nullptr);
    ~ReportsDialog() override;

    // The previous month of the computer's date as the period, then the dialog, modally. The
    // product kind keeps its last choice.
    void showForLastMonth();

    // The Excel summary's statement: kolvo, vid, nom, naimen, color, mass; parameters data1, data2.
    static QString summarySql();

    // The operation text of the Excel summary: vid with " (грунт)" for colour 1, " (цвет: n)"
    // for larger colours.
    static QString operationText(const QString& vid, int color);

private slots:
    // Each shows its report of the period and product kind in the preview window.
    void printWorkersReport();
    void printProductsReport();
    void printWorkersDetailReport();
    void printProductsDetailReport();
    // Writes the Excel summary of the period and product kind into a new workbook and shows it;
    // the button's caption counts the rows written.
    void exportSummary();

private:
    void previewSummary(SummaryReport report, ReportLayoutBase& layout);
    // Runs the window until the server's answer is in (the socket is readable); false when the
    // user pressed "Отмена" on the progress window.
    bool waitForServer(int socket);
    // The export of exportSummary, which runs it with its errors shown.
    void writeSummaryExport();

    Database& m_db;

    // The product kind: -1 "Все" (all), 0 "Готовая продукция", 1 "Заготовки".
    RadioGroup* m_kindGroup;
    QDateEdit* m_fromEdit; // from, inclusive
    QDateEdit* m_toEdit;   // to, exclusive
    QPushButton* m_workersReportButton;
    QPushButton* m_productsReportButton;
    QPushButton* m_workersDetailReportButton;
    QPushButton* m_productsDetailReportButton;
    QPushButton* m_excelSummaryButton;
    QPushButton* m_closeButton;

    // The printed layouts, kept for the whole life of the dialog.
    WorkersReport* m_workersReport;
    ProductsReport* m_productsReport;
    WorkersDetailReport* m_workersDetailReport;
    ProductsDetailReport* m_productsDetailReport;

    ReportQuery m_summaryQuery;

    // Shown while the server works on a report that takes longer than a moment.
    QProgressDialog* m_progress;
    QElapsedTimer m_waitClock; // since the report's statement was sent
};
