// Window "Итоги месяца для расчета".
#include "timesheets/PayrollSummaryWindow.h"

#include "data/Database.h"
#include "data/Dataset.h"
#include "data/Format.h"
#include "export/ExcelHelper.h"
#include "export/InProcessSpreadsheet.h"
#include "timesheets/PayrollMonth.h"
#include "timesheets/TimesheetWidgets.h"
#include "ui/DatasetGrid.h"
#include "ui/Guarded.h"
#include "ui/ResultGridModel.h"
#include "ui/Seams.h"
#include "ui/WindowGeometry.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Draws the totals line, the one without a tab number, in bold.
class TotalLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.siblingAtColumn(0).data().toString().isEmpty())
            option->font.setBold(true);
    }
};

} // namespace

PayrollSummaryWindow::PayrollSummaryWindow(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("PayrollSummaryWindow"));
    setWindowTitle(QStringLiteral("Итоги месяца для расчета"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    m_lines = new Dataset(this, db.connection().name());
    m_lines->setObjectName(QStringLiteral("payrollLines"));
    m_lines->setSql(payrollSql());
    m_linesModel = new ResultGridModel(*m_lines, this);

    m_monthBox = makeMonthBox(this);
    m_yearBox = makeYearBox(this);
    m_payrollGrid = makeTimesheetGrid(this, QStringLiteral("payrollGrid"));
    m_payrollGrid->setItemDelegate(new TotalLineDelegate(m_payrollGrid));
    m_excelButton = makeButton(this, QStringLiteral("excelButton"), QStringLiteral("Excel"));
    m_csvButton = makeButton(this, QStringLiteral("csvButton"), QStringLiteral("CSV"));
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_monthBox);
    buttons->addWidget(m_yearBox);
    buttons->addStretch();
    buttons->addWidget(m_excelButton);
    buttons->addWidget(m_csvButton);
    buttons->addSpacing(20);
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_payrollGrid, 1);
    layout->addLayout(buttons);
    rememberGeometry(this, QStringLiteral("PayrollSummaryWindow"), QSize(1180, 560));

    connect(m_monthBox, &QComboBox::currentIndexChanged, this, &PayrollSummaryWindow::applyMonth);
    connect(m_yearBox, &QComboBox::activated, this, &PayrollSummaryWindow::applyMonth);
    connect(m_excelButton, &QPushButton::clicked, this, &PayrollSummaryWindow::exportToExcel);
    connect(m_csvButton, &QPushButton::clicked, this, &PayrollSummaryWindow::exportToCsv);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

void PayrollSummaryWindow::showMonth() {
    const QDate today = seams::today();
    if (!runGuarded([&] { fillYears(today.year()); }))
        return;
    chooseMonth(m_monthBox, m_yearBox, TimesheetMonth::of(today));
    applyMonth();
    showInGrid(*m_linesModel, m_payrollGrid);
    layOutColumns();
    seams::showModal(this);
    m_lines->close();
}

void PayrollSummaryWindow::fillYears(int selectYear) {
    setTimesheetYears(m_yearBox, m_db, selectYear);
}

void PayrollSummaryWindow::applyMonth() {
    m_month = chosenMonth(m_monthBox, m_yearBox);
    runGuarded([this] {
        m_lines->close();
        setPayrollMonth(*m_lines, m_month);
        m_lines->open();
    });
    layOutColumns();
}

void PayrollSummaryWindow::layOutColumns() {
    QList<GridColumn> columns;
    for (const PayrollColumn& c : payrollColumns()) {
        const bool name = c.field == u"fio";
        GridColumn g{c.field, c.title, name ? 210 : (c.field == u"tab_no" ? 50 : (c.money ? 100 : 96))};
        if (!name) {
            g.alignment = Qt::AlignRight | Qt::AlignVCenter;
            // The statement's exact figures, money with its two decimals.
            g.format = [](const QVariant& v) {
                return v.isNull() ? QString() : toScreenSeparator(v.toString());
            };
        }
        columns << g;
    }
    m_linesModel->setColumns(columns);
}

void PayrollSummaryWindow::exportToExcel() {
    runGuarded([this] {
        ExcelReference excel;
        nameNextExport(payrollSubject(m_month));
        if (ExcelOpen(QString(), excel) == -1) {
            QApplication::restoreOverrideCursor();
            return;
        }
        ExcelSetVisible(false, excel);
        writePayrollSheet(
            *m_lines, m_month,
            [&excel](int column, int row, const QString& text, bool textFormat, bool autofit, bool bold) {
                return ExcelPutCell(1, column, row, text, textFormat, autofit, bold, excel);
            });
        ExcelSetVisible(true, excel);
    });
}

void PayrollSummaryWindow::exportToCsv() {
    runGuarded([this] {
        spreadsheet::inprocess::saveExportFile(payrollSubject(m_month), QStringLiteral("csv"),
                                               payrollCsv(*m_lines));
    });
}
