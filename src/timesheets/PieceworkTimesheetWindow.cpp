// Piece-work timesheet window.
#include "timesheets/PieceworkTimesheetWindow.h"
#include "ui/WindowGeometry.h"

#include "data/Database.h"
#include "data/Format.h"
#include "export/ExcelHelper.h"
#include "export/InProcessSpreadsheet.h"
#include "records/TimesheetRebuild.h"
#include "timesheets/MonthChart.h"
#include "timesheets/TimesheetGridModel.h"
#include "timesheets/TimesheetSheets.h"
#include "timesheets/TimesheetWidgets.h"
#include "ui/DatasetGrid.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kNightColumn = 1;
constexpr int kHourlyColumn = 35;
constexpr int kDayWidth = 20;
constexpr int kTotalWidth = 66;

// The grid's column of day n.
int dayColumn(int day) {
    return day + 1;
}

QFont boldOf(const QFont& font) {
    QFont f = font;
    f.setBold(true);
    return f;
}

// The 36 columns: name, day/night, the days, earnings, hours and earnings per hour; the days in
// red on Saturdays and Sundays of the month, the totals bold on light blue.
QList<GridColumn> pieceworkColumns(const TimesheetMonth& month, int nameWidth, const QFont& font) {
    const QFont bold = boldOf(font);
    QList<GridColumn> columns;
    columns << GridColumn{QStringLiteral("fio"), QStringLiteral("Фамилия И. О."), nameWidth};
    columns << GridColumn{QStringLiteral("s_night"), QStringLiteral(" "), 30, {}, Qt::AlignCenter};
    for (int day = 1; day <= 31; ++day) {
        const bool weekend = day <= month.days() && month.isWeekend(day);
        GridColumn c{QStringLiteral("d%1").arg(day), QString::number(day), kDayWidth, {}, Qt::AlignCenter};
        c.style = [weekend](const QVariant&, int role) -> QVariant {
            if (role == Qt::ForegroundRole)
                return weekend ? timesheetcolors::weekend() : timesheetcolors::normalText();
            return {};
        };
        columns << c;
    }
    const auto totalStyle = [bold](const QVariant&, int role) -> QVariant {
        if (role == Qt::FontRole)
            return bold;
        if (role == Qt::BackgroundRole)
            return timesheetcolors::totals();
        return {};
    };
    const auto money = [](const QVariant& v) { return v.isNull() ? QString() : formatMoney(v.toDouble()); };
    columns << GridColumn{
        QStringLiteral("f_price"), QStringLiteral("Итого (р.)"), kTotalWidth, money, {}, totalStyle};
    columns << GridColumn{
        QStringLiteral("i_time"), QStringLiteral("Итого (ч.)"), kTotalWidth, {}, Qt::AlignCenter, totalStyle};
    columns << GridColumn{QStringLiteral("average_price"),
                          QStringLiteral("Час (р.)"),
                          kTotalWidth,
                          money,
                          Qt::AlignCenter,
                          totalStyle};
    return columns;
}

QLabel* totalLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumWidth(90);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

// A total as the grid would show it; empty when the month has none.
QString totalText(const QVariant& value) {
    return value.isNull() ? QString() : formatMoney(value.toDouble());
}

} // namespace

PieceworkTimesheetWindow::PieceworkTimesheetWindow(Database& db, QWidget* parent)
    : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("PieceworkTimesheetWindow"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    const PieceworkView views[4] = {PieceworkView::Piecework, PieceworkView::Maintenance,
                                    PieceworkView::AverageRate, PieceworkView::General};
    for (int i = 0; i < 4; ++i) {
        m_queries[i] = new Dataset(this, db.connection().name());
        m_queries[i]->setObjectName(viewInfo(views[i]).name + QStringLiteral("Query"));
        m_queries[i]->setSql(pieceworkViewSql(views[i]));
        m_models[i] = new TimesheetGridModel(*m_queries[i], this);
    }
    m_current = m_queries[0];
    m_currentModel = m_models[0];

    m_viewTabs = new QTabWidget(this);
    m_viewTabs->setObjectName(QStringLiteral("viewTabs"));
    m_timesheetGrid = makeTimesheetGrid(m_viewTabs, QStringLiteral("timesheetGrid"));
    auto* chartPage = new QWidget(m_viewTabs);
    m_monthChart = new MonthChart(chartPage);
    m_savePictureButton =
        makeButton(chartPage, QStringLiteral("savePictureButton"), QStringLiteral("Сохранить PNG"));
    auto* chartLayout = new QVBoxLayout(chartPage);
    chartLayout->addWidget(m_monthChart, 1);
    auto* chartButtons = new QHBoxLayout;
    chartButtons->addStretch();
    chartButtons->addWidget(m_savePictureButton);
    chartLayout->addLayout(chartButtons);
    m_viewTabs->addTab(m_timesheetGrid, QStringLiteral("Табель"));
    m_viewTabs->addTab(chartPage, QStringLiteral("График"));
    m_monthBox = makeMonthBox(this);
    m_yearBox = makeYearBox(this);
    m_averageRateTotalLabel = totalLabel(this, QStringLiteral("averageRateTotalLabel"));
    m_maintenanceTotalLabel = totalLabel(this, QStringLiteral("maintenanceTotalLabel"));
    m_pieceworkTotalLabel = totalLabel(this, QStringLiteral("pieceworkTotalLabel"));
    m_allTotalLabel = totalLabel(this, QStringLiteral("allTotalLabel"));
    m_excelButton = makeButton(this, QStringLiteral("excelButton"), QStringLiteral("Excel"));
    // Wide enough for the count it shows while writing, so the buttons beside it stay in place.
    m_excelButton->setMinimumWidth(
        m_excelButton->fontMetrics().horizontalAdvance(QStringLiteral("Excel (00000 из 00000)")) + 24);
    m_refreshButton = makeButton(this, QStringLiteral("refreshButton"), QStringLiteral("Обновить"));
    m_rebuildButton = makeButton(this, QStringLiteral("rebuildButton"), QStringLiteral("Перестроить"));
    m_progressBar = makeProgressBar(this);
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));

    auto* totals = new QHBoxLayout;
    totals->addWidget(m_monthBox);
    totals->addWidget(m_yearBox);
    totals->addStretch();
    const std::pair<QString, QLabel*> figures[] = {{QStringLiteral("Ср. сдел.:"), m_averageRateTotalLabel},
                                                   {QStringLiteral("Хоз. работы:"), m_maintenanceTotalLabel},
                                                   {QStringLiteral("Сделка:"), m_pieceworkTotalLabel},
                                                   {QStringLiteral("Итого:"), m_allTotalLabel}};
    for (const auto& [caption, label] : figures) {
        totals->addWidget(new QLabel(caption, this));
        totals->addWidget(label);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_excelButton);
    buttons->addWidget(m_refreshButton);
    buttons->addWidget(m_rebuildButton);
    buttons->addWidget(m_progressBar, 1);
    buttons->addStretch();
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_viewTabs, 1);
    layout->addLayout(totals);
    layout->addLayout(buttons);
    // Room for the 36 columns of a 31-day month at the default size; on a smaller screen the
    // grid scrolls.
    rememberGeometry(this, QStringLiteral("PieceworkTimesheetWindow"), QSize(1104, 600));

    connect(m_monthBox, &QComboBox::currentIndexChanged, this, &PieceworkTimesheetWindow::applyMonth);
    connect(m_yearBox, &QComboBox::activated, this, &PieceworkTimesheetWindow::applyMonth);
    connect(m_refreshButton, &QPushButton::clicked, this, &PieceworkTimesheetWindow::refresh);
    connect(m_rebuildButton, &QPushButton::clicked, this, &PieceworkTimesheetWindow::rebuild);
    connect(m_excelButton, &QPushButton::clicked, this, &PieceworkTimesheetWindow::exportToExcel);
    connect(m_viewTabs, &QTabWidget::currentChanged, this, &PieceworkTimesheetWindow::drawChart);
    connect(m_savePictureButton, &QPushButton::clicked, this, &PieceworkTimesheetWindow::saveChartPicture);
    // Esc closes a QDialog by itself; "Выход" does the same.
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

void PieceworkTimesheetWindow::setView(PieceworkView view) {
    m_view = view;
    const int at = view == PieceworkView::Piecework     ? 0
                   : view == PieceworkView::Maintenance ? 1
                   : view == PieceworkView::AverageRate ? 2
                                                        : 3;
    m_current = m_queries[at];
    m_currentModel = m_models[at];
    setWindowTitle(viewInfo(view).caption);
}

void PieceworkTimesheetWindow::showView(PieceworkView view) {
    setView(view);
    const QDate today = seams::today();
    // Without its years the window has no month to show: it stays closed when they cannot be read.
    if (!runGuarded([&] { fillYears(today.year()); }))
        return;
    chooseMonth(m_monthBox, m_yearBox, TimesheetMonth::of(today));
    applyMonth();
    showInGrid(*m_currentModel, m_timesheetGrid);
    layOutColumns();
    if (QWidget* active = QApplication::activeWindow(); active && active != this)
        move(active->geometry().center() - rect().center());
    seams::showModal(this);
    m_current->close();
    m_excelButton->setText(QStringLiteral("Excel"));
}

void PieceworkTimesheetWindow::fillYears(int selectYear) {
    // From the first year with anything to show or rebuild (timesheet rows, work records or
    // maintenance entries) to next year, so that a month without timesheet rows yet can be shown
    // and rebuilt.
    const QVariant first = m_db.readValue(
        QStringLiteral("select least((select min(year) from accounts_dep.h_tabel where year>0), "
                       "(select extract(year from min(data))::int from accounts_dep.smena), "
                       "(select min(i_year) from accounts_dep.fatigue where i_year>0))"));
    const int to = std::max(seams::today().year(), selectYear) + 1;
    const int from = first.isNull() ? selectYear : std::min(first.toInt(), selectYear);
    QList<int> list;
    for (int y = from; y <= to; ++y)
        list << y;
    setYears(m_yearBox, list, selectYear);
}

TimesheetMonth PieceworkTimesheetWindow::chosenMonth() const {
    return ::chosenMonth(m_monthBox, m_yearBox);
}

void PieceworkTimesheetWindow::openCurrent() {
    m_current->close();
    setPieceworkMonth(*m_current, m_view, m_month);
    m_current->open();
    layOutColumns();
}

void PieceworkTimesheetWindow::applyMonth() {
    m_month = chosenMonth();
    runGuarded([this] {
        openCurrent();
        showTotals(readPieceworkTotals(m_db, m_month));
    });
    drawChart();
}

void PieceworkTimesheetWindow::drawChart() {
    // The chart is read only while it is in sight: the grid's month opens as quickly as before.
    if (m_viewTabs->currentIndex() != 1)
        return;
    runGuarded([this] { m_monthChart->showMonth(m_db, m_view, m_month, *m_current); });
}

void PieceworkTimesheetWindow::saveChartPicture() {
    runGuarded([this] {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        m_monthChart->picture().save(&buffer, "PNG");
        spreadsheet::inprocess::saveExportFile(
            QStringLiteral("График ") + viewInfo(m_view).caption.section(QStringLiteral(" ("), 0, 0) + u' ' +
                m_month.title(),
            QStringLiteral("png"), png);
    });
}

void PieceworkTimesheetWindow::showTotals(const PieceworkTotals& totals) {
    m_averageRateTotalLabel->setText(totalText(totals.averageRate));
    m_maintenanceTotalLabel->setText(totalText(totals.maintenance));
    m_pieceworkTotalLabel->setText(totalText(totals.piecework));
    m_allTotalLabel->setText(totalText(totals.all));
}

void PieceworkTimesheetWindow::layOutColumns() {
    const PieceworkViewInfo& info = viewInfo(m_view);
    const int days = m_month.days();
    const int nameWidth = info.nameWidth + (31 - days) * kDayWidth;
    const QFont bold = boldOf(m_timesheetGrid->font());
    m_currentModel->setColumns(pieceworkColumns(m_month, nameWidth, m_timesheetGrid->font()));
    const TimesheetMonth month = m_month;
    m_currentModel->setTitleStyle([bold, month](int column, int role) -> QVariant {
        if (role == Qt::FontRole && column != kNightColumn)
            return bold;
        if (role == Qt::TextAlignmentRole && column == 0)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        const int day = column - 1;
        if (role == Qt::ForegroundRole && day >= 1 && day <= 31)
            return day <= month.days() && month.isWeekend(day) ? timesheetcolors::weekend()
                                                               : timesheetcolors::normalText();
        return {};
    });
    if (m_timesheetGrid->model() != m_currentModel)
        return;
    m_timesheetGrid->setColumnWidth(0, nameWidth);
    m_timesheetGrid->setColumnHidden(kNightColumn, !info.nightColumn);
    m_timesheetGrid->setColumnHidden(kHourlyColumn, !info.hourlyColumn);
    for (int day = 1; day <= 31; ++day)
        m_timesheetGrid->setColumnHidden(dayColumn(day), day > days);
}

void PieceworkTimesheetWindow::refresh() {
    runGuarded([this] { openCurrent(); });
    drawChart();
}

void PieceworkTimesheetWindow::rebuild() {
    runGuarded([this] {
        rebuildAndShowAgain(
            m_db, TimesheetRows::Maintenance, m_month, m_progressBar, [this] { m_current->close(); },
            [this] { openCurrent(); });
    });
}

void PieceworkTimesheetWindow::exportToExcel() {
    runGuarded([this] { writeExport(); });
}

void PieceworkTimesheetWindow::writeExport() {
    const int recNo = m_current->recNo();
    m_timesheetGrid->setUpdatesEnabled(false);
    struct Resume {
        QTableView* grid;
        Dataset* rows;
        int recNo;
        ~Resume() {
            rows->setRecNo(recNo);
            grid->setUpdatesEnabled(true);
        }
    } resume{m_timesheetGrid, m_current, recNo};
    ExcelReference excel;
    nameNextExport(viewInfo(m_view).caption.section(QStringLiteral(" ("), 0, 0) + u' ' + m_month.title());
    if (ExcelOpen(QString(), excel) == -1) {
        QApplication::restoreOverrideCursor();
        return;
    }
    ExcelSetVisible(false, excel);
    writePieceworkSheet(
        *m_current, m_view, m_month,
        [&excel](int column, int row, const QString& text, bool textFormat, bool autofit, bool bold) {
            return ExcelPutCell(1, column, row, text, textFormat, autofit, bold, excel);
        },
        [this](int written, int total) { showExportCount(m_excelButton, written, total); });
    ExcelSetVisible(true, excel);
}
