// Hours timesheet window "Табель по времени".
#include "timesheets/HoursTimesheetWindow.h"
#include "ui/WindowGeometry.h"

#include "data/Database.h"
#include "export/ExcelHelper.h"
#include "records/TimesheetRebuild.h"
#include "reports/HoursTimesheetReport.h"
#include "reports/T13Report.h"
#include "timesheets/T13TextsDialog.h"
#include "timesheets/TimesheetGridModel.h"
#include "timesheets/TimesheetSheets.h"
#include "timesheets/TimesheetWidgets.h"
#include "ui/DatasetGrid.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kFirstYear = 2007;

// The colours of a day cell: 0 hours silver (an absence), 8 hours bold (a full shift), more
// bold on light green (overtime); weekend days stay red, days beyond the month do not show.
QVariant dayCellStyle(int hours, int role, bool weekend, bool beyond, const QFont& bold) {
    switch (role) {
    case Qt::ForegroundRole:
        if (beyond)
            return timesheetcolors::background();
        if (weekend)
            return timesheetcolors::weekend();
        return hours == 0 ? timesheetcolors::silver() : timesheetcolors::normalText();
    case Qt::FontRole:
        if (hours >= 8)
            return bold;
        break;
    case Qt::BackgroundRole:
        if (hours > 8)
            return timesheetcolors::overtime();
        break;
    default:
        break;
    }
    return {};
}

// The 33 columns: name, the 31 days and the row's total.
QList<GridColumn> hoursColumns(const TimesheetMonth& month, const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    // Wide enough for two bold digits (10 hours and more) with the cell's margins.
    const int dayWidth = std::max(20, QFontMetrics(bold).horizontalAdvance(QStringLiteral("24")) + 10);
    QList<GridColumn> columns;
    columns << GridColumn{QStringLiteral("fio"), QStringLiteral("Фамилия И. О."), 208};
    for (int day = 1; day <= 31; ++day) {
        const bool beyond = day > month.days();
        const bool weekend = !beyond && month.isWeekend(day);
        GridColumn c{QStringLiteral("d%1").arg(day), QString::number(day), dayWidth, {}, Qt::AlignCenter};
        c.style = [weekend, beyond, bold](const QVariant& v, int role) {
            return dayCellStyle(v.toInt(), role, weekend, beyond, bold);
        };
        columns << c;
    }
    GridColumn total{QStringLiteral("summ"), QStringLiteral("Итого"), 47, {}, Qt::AlignCenter};
    total.style = [](const QVariant&, int role) -> QVariant {
        return role == Qt::BackgroundRole ? QVariant(timesheetcolors::totals()) : QVariant();
    };
    columns << total;
    return columns;
}

// Titles of the days: red on weekends, silver beyond the month.
TimesheetGridModel::TitleStyle dayTitles(const TimesheetMonth& month) {
    return [month](int column, int role) -> QVariant {
        if (role != Qt::ForegroundRole || column < 1 || column > 31)
            return {};
        if (column > month.days())
            return timesheetcolors::silver();
        return month.isWeekend(column) ? timesheetcolors::weekend() : timesheetcolors::normalText();
    };
}

// A shift's rows of the month: one per worker with a timesheet row of the shift and work records
// in the month, with the row's total, the month's earnings and the earnings per hour of the
// shift's hours. The earnings are summed per row rather than over every record joined to it.
QString shiftSql(int shift) {
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("coalesce(d%1,0)").arg(d);
    const QString total = u'(' + days.join(u'+') + u')';
    return QStringLiteral(
               "select person.s_caption fio, %1 as summ, case when %1=0 then 0 else (s.amount/%1) end "
               "::numeric(10,2) as average_price, s.amount::numeric(10,2) as cena_all, h_tabel.* "
               "from accounts_dep.h_tabel join cmn_contractor.person on "
               "h_tabel.w_id=person.s_code::integer "
               "join lateral (select sum(s.cena*(s.kol_vo-s.brak)) as amount from accounts_dep.smena s "
               "where s.w_id=h_tabel.w_id and s.data>=:date1 and s.data<:date2 having count(*)>0) s on true "
               "where h_tabel.smena=%2 and h_tabel.month=:mnth and h_tabel.year=:yea order by fio")
        .arg(total)
        .arg(shift);
}

} // namespace

HoursTimesheetWindow::HoursTimesheetWindow(Database& db, QWidget* parent)
    : QDialog(parent), m_db(db), m_report(new HoursTimesheetReport(db, this)) {
    setObjectName(QStringLiteral("HoursTimesheetWindow"));
    setWindowTitle(QStringLiteral("Табель по времени"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    m_shiftTabs = new QTabWidget(this);
    m_shiftTabs->setObjectName(QStringLiteral("shiftTabs"));
    m_rebuildButton = makeButton(this, QStringLiteral("rebuildButton"), QStringLiteral("Перестроить"));
    m_progressBar = makeProgressBar(this);
    m_excelButton = makeButton(this, QStringLiteral("excelButton"), QStringLiteral("Excel"));
    // A tab for each shift, and one for the overtime (shift 4).
    for (int s = 0; s < 4; ++s) {
        auto* page = new QWidget(m_shiftTabs);
        m_shiftGrids[s] = makeTimesheetGrid(page, QStringLiteral("shift%1Grid").arg(s + 1));
        m_shiftRows[s] = new Dataset(this, db.connection().name());
        m_shiftRows[s]->setObjectName(QStringLiteral("shift%1Query").arg(s + 1));
        m_shiftRows[s]->setSql(shiftSql(s + 1));
        m_shiftModels[s] = new TimesheetGridModel(*m_shiftRows[s], this);
        showInGrid(*m_shiftModels[s], m_shiftGrids[s]);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->addWidget(m_shiftGrids[s], 1);
        if (s == 0) {
            auto* row = new QHBoxLayout;
            row->addWidget(m_rebuildButton);
            row->addWidget(m_progressBar, 1);
            row->addStretch();
            row->addWidget(m_excelButton);
            pageLayout->addLayout(row);
        }
        m_shiftTabs->addTab(page,
                            s < 3 ? QStringLiteral("Смена №%1").arg(s + 1) : QStringLiteral("Переработка"));
    }
    m_monthBox = makeMonthBox(this);
    m_yearBox = makeYearBox(this);
    m_printButton = makeButton(this, QStringLiteral("printButton"), QStringLiteral("Печать"));
    m_t13Button = makeButton(this, QStringLiteral("t13Button"), QStringLiteral("Печать Т-13"));
    m_t13TextsDialog = new T13TextsDialog(this);
    m_refreshButton = makeButton(this, QStringLiteral("refreshButton"), QStringLiteral("Обновить"));
    m_exitButton = makeButton(this, QStringLiteral("exitButton"), QStringLiteral("Выход"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_monthBox);
    bottom->addWidget(m_yearBox);
    bottom->addStretch();
    bottom->addWidget(m_printButton);
    bottom->addWidget(m_t13Button);
    bottom->addWidget(m_refreshButton);
    bottom->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_shiftTabs, 1);
    layout->addLayout(bottom);
    rememberGeometry(this, QStringLiteral("HoursTimesheetWindow"), QSize(940, 560));

    connect(m_monthBox, &QComboBox::currentIndexChanged, this, &HoursTimesheetWindow::applyMonth);
    connect(m_yearBox, &QComboBox::currentIndexChanged, this, &HoursTimesheetWindow::applyMonth);
    connect(m_rebuildButton, &QPushButton::clicked, this, &HoursTimesheetWindow::rebuild);
    connect(m_excelButton, &QPushButton::clicked, this, &HoursTimesheetWindow::exportToExcel);
    connect(m_printButton, &QPushButton::clicked, this, &HoursTimesheetWindow::print);
    connect(m_t13Button, &QPushButton::clicked, this, &HoursTimesheetWindow::printT13);
    connect(m_refreshButton, &QPushButton::clicked, this, &HoursTimesheetWindow::refresh);
    // Esc closes a QDialog by itself; "Выход" does the same.
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

void HoursTimesheetWindow::showMonth(const QDate& journalDate) {
    // Without its years the window has no month to show: it stays closed when they cannot be read.
    if (!runGuarded([&] { fillYears(journalDate); }))
        return;
    chooseMonth(m_monthBox, m_yearBox, TimesheetMonth::of(journalDate));
    applyMonth();
    if (QWidget* active = QApplication::activeWindow(); active && active != this)
        move(active->geometry().center() - rect().center());
    seams::showModal(this);
    closeShifts();
}

void HoursTimesheetWindow::fillYears(const QDate& journalDate) {
    // From 2007, or from an earlier year that has rows, to the year after the later of this
    // year and the journal's year.
    const QVariant earliest =
        m_db.readValue(QStringLiteral("select min(year) from accounts_dep.h_tabel where year>0"));
    const int from = earliest.isNull() ? kFirstYear : std::min(kFirstYear, earliest.toInt());
    const int to = std::max(seams::today().year(), journalDate.year()) + 1;
    QList<int> years;
    for (int y = from; y <= to; ++y)
        years << y;
    setYears(m_yearBox, years, journalDate.year());
}

void HoursTimesheetWindow::applyMonth() {
    m_month = chosenMonth(m_monthBox, m_yearBox);
    closeShifts();
    runGuarded([this] { openShifts(); });
}

void HoursTimesheetWindow::openShifts() {
    for (int s = 0; s < 4; ++s) {
        Dataset& query = *m_shiftRows[s];
        query.setParam(QStringLiteral("mnth"), m_month.month);
        query.setParam(QStringLiteral("yea"), m_month.year);
        query.setParam(QStringLiteral("date1"), m_month.first());
        query.setParam(QStringLiteral("date2"), m_month.next());
        query.open();
        layOutDays(s);
    }
}

void HoursTimesheetWindow::closeShifts() {
    for (Dataset* rows : m_shiftRows)
        rows->close();
}

void HoursTimesheetWindow::layOutDays(int shift) {
    TimesheetGridModel& model = *m_shiftModels[shift];
    model.setColumns(hoursColumns(m_month, m_shiftGrids[shift]->font()));
    model.setTitleStyle(dayTitles(m_month));
}

void HoursTimesheetWindow::refresh() {
    closeShifts();
    runGuarded([this] { openShifts(); });
}

void HoursTimesheetWindow::rebuild() {
    runGuarded([this] {
        rebuildAndShowAgain(
            m_db, TimesheetRows::Shifts, m_month, m_progressBar, [this] { closeShifts(); },
            [this] { openShifts(); });
    });
}

void HoursTimesheetWindow::exportToExcel() {
    runGuarded([this] { writeExport(); });
}

void HoursTimesheetWindow::writeExport() {
    m_report->openMonth(m_month.month, m_month.year);
    struct Closer {
        Dataset& rows;
        ~Closer() { rows.close(); }
    } closer{m_report->query()};
    nameNextExport(QStringLiteral("Табель по времени ") + m_month.title());
    if (HoursExcel::ExcelOpen(QString()) == -1) {
        QApplication::restoreOverrideCursor();
        return;
    }
    HoursExcel::ExcelSetVisible(false);
    writeHoursSheet(
        m_report->query(), m_month,
        [](int column, int row, const QString& text, bool textFormat, bool autofit, bool bold) {
            return HoursExcel::ExcelPutCell(1, column, row, text, textFormat, autofit, bold);
        },
        [this](int written, int total) { showExportCount(m_excelButton, written, total); });
    HoursExcel::ExcelSetVisible(true);
}

void HoursTimesheetWindow::print() {
    runGuarded([this] {
        m_report->previewMonth(
            m_month.month, m_month.year,
            m_monthBox->currentText() + u' ' + m_yearBox->currentText() + QStringLiteral(" г."), this);
    });
}

void HoursTimesheetWindow::printT13() {
    T13Header header = t13HeaderFromSettings(m_month.month, m_month.year, seams::today());
    if (header.organisation.isEmpty() || header.department.isEmpty()) {
        if (!m_t13TextsDialog->ask(&header.organisation, &header.department))
            return;
        rememberT13Texts(header.organisation, header.department);
    }
    runGuarded([&] {
        T13Report report(m_db);
        report.setHeader(header);
        report.previewMonth(m_month.month, m_month.year, this);
    });
}

bool HoursTimesheetWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        m_excelButton->setText(QStringLiteral("Excel"));
    return QDialog::event(e);
}
