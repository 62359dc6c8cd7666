// Reports dialog "Отчеты (8)": the period and product kind, the four printed summary reports
// and the Excel summary.
#include "reports/ReportsDialog.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/ServerWait.h"
#include "export/ExcelHelper.h"
#include "reports/ProductsDetailReport.h"
#include "reports/ProductsReport.h"
#include "reports/RadioGroup.h"
#include "reports/SummaryReports.h"
#include "reports/WorkersDetailReport.h"
#include "reports/WorkersReport.h"
#include "ui/DateBox.h"
#include "ui/Guarded.h"
#include "ui/Permissions.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QDateEdit>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

// A period field that takes a typed date as the journal's date field does.
QDateEdit* dateEdit(const QString& name, QWidget* parent) {
    auto* d = new DateBox(parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    return d;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The first day of the month before the date's month, and the first day of the date's month
// (in January, 1 December of the previous year and 1 January).
QDate firstOfPreviousMonth(const QDate& day) {
    return QDate(day.year(), day.month(), 1).addMonths(-1);
}
QDate firstOfMonth(const QDate& day) {
    return QDate(day.year(), day.month(), 1);
}

// Shows the wait cursor while an action runs and restores the normal one at its end.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

QString ReportsDialog::summarySql() {
    return QStringList{
        QStringLiteral("select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid,"),
        QStringLiteral("izdel.nom, oper.naimen, color,izdel.massa*sum(smena.kol_vo-smena.brak) as mass "),
        QStringLiteral(
            "from accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper, accounts_dep.oper where "
            "izdel.id=smena.i_id and vid_oper.id=oper.vid"),
        QStringLiteral("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 "),
        QStringLiteral("group by izdel.nom,color, oper.naimen, vid_oper.vid, izdel.massa order by izdel.nom")}
        .join(u'\n');
}

QString ReportsDialog::operationText(const QString& vid, int color) {
    if (color == 1)
        return vid + QStringLiteral(" (грунт)");
    if (color > 1)
        return vid + QStringLiteral(" (цвет: ") + QString::number(color) + QStringLiteral(")");
    return vid;
}

ReportsDialog::ReportsDialog(Database& db, const Permissions& permissions, QWidget* parent)
    : QDialog(parent), m_db(db), m_summaryQuery(db.connection().name(), this) {
    setObjectName(QStringLiteral("ReportsDialog"));
    setWindowTitle(QStringLiteral("Отчеты (8)"));
    makeFixedDialog(this);

    m_kindGroup = new RadioGroup(QStringLiteral("Вид продукции"),
                                 {{-1, QStringLiteral("Все")},
                                  {0, QStringLiteral("Готовая продукция")},
                                  {1, QStringLiteral("Заготовки")}},
                                 this);
    m_kindGroup->setObjectName(QStringLiteral("kindGroup"));
    QFont boldFont = m_kindGroup->font();
    boldFont.setBold(true);
    m_kindGroup->setFont(boldFont);

    auto* periodGroup = new QGroupBox(QStringLiteral("Период отбора"), this);
    periodGroup->setObjectName(QStringLiteral("periodGroup"));
    m_fromEdit = dateEdit(QStringLiteral("fromEdit"), periodGroup);
    m_toEdit = dateEdit(QStringLiteral("toEdit"), periodGroup);
    auto* periodLayout = new QGridLayout(periodGroup);
    periodLayout->addWidget(new QLabel(QStringLiteral("с"), periodGroup), 0, 0);
    periodLayout->addWidget(m_fromEdit, 0, 1);
    periodLayout->addWidget(new QLabel(QStringLiteral("по"), periodGroup), 1, 0);
    periodLayout->addWidget(m_toEdit, 1, 1);
    const QDate today = seams::today();
    m_fromEdit->setDate(firstOfPreviousMonth(today));
    m_toEdit->setDate(firstOfMonth(today));

    m_workersReportButton =
        button(QStringLiteral("workersReportButton"), QStringLiteral("Отчет по рабочим"), this);
    m_productsReportButton =
        button(QStringLiteral("productsReportButton"), QStringLiteral("Отчет по продукции"), this);
    m_workersDetailReportButton = button(QStringLiteral("workersDetailReportButton"),
                                         QStringLiteral("Детальный отчет по рабочим"), this);
    m_productsDetailReportButton = button(QStringLiteral("productsDetailReportButton"),
                                          QStringLiteral("Детальный отчет по продукции"), this);
    m_excelSummaryButton =
        button(QStringLiteral("excelSummaryButton"), QStringLiteral("Excel (0 из 0)"), this);
    m_closeButton = button(QStringLiteral("closeButton"), QStringLiteral("Выход"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_kindGroup);
    layout->addWidget(periodGroup);
    for (QPushButton* b : {m_workersReportButton, m_productsReportButton, m_workersDetailReportButton,
                           m_productsDetailReportButton, m_excelSummaryButton, m_closeButton})
        layout->addWidget(b);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_workersReportButton, &QPushButton::clicked, this, &ReportsDialog::printWorkersReport);
    connect(m_productsReportButton, &QPushButton::clicked, this, &ReportsDialog::printProductsReport);
    connect(m_workersDetailReportButton, &QPushButton::clicked, this,
            &ReportsDialog::printWorkersDetailReport);
    connect(m_productsDetailReportButton, &QPushButton::clicked, this,
            &ReportsDialog::printProductsDetailReport);
    connect(m_excelSummaryButton, &QPushButton::clicked, this, &ReportsDialog::exportSummary);
    // Esc closes a QDialog by itself; "Выход" does the same.
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    m_workersReport = new WorkersReport(db, this);
    m_productsReport = new ProductsReport(db, this);
    m_workersDetailReport = new WorkersDetailReport(db, this);
    m_productsDetailReport = new ProductsDetailReport(db, this);

    m_summaryQuery.setObjectName(QStringLiteral("summaryQuery"));
    m_summaryQuery.setSql(summarySql());

    // While a report is awaited: modal over this dialog, so nothing else starts meanwhile.
    m_progress = new QProgressDialog(this);
    m_progress->setObjectName(QStringLiteral("reportProgress"));
    m_progress->setWindowTitle(QStringLiteral("Отчеты (8)"));
    m_progress->setCancelButtonText(QStringLiteral("Отмена"));
    m_progress->setRange(0, 0); // the server does not say how far it is: a busy bar
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->reset(); // no showing by itself: waitForServer shows it
    m_progress->hide();

    // What the user may do: the detailed report by products and "Выход" stay for everyone.
    m_workersReportButton->setEnabled(permissions.workersReports);
    m_workersDetailReportButton->setEnabled(permissions.workersReports);
    m_productsReportButton->setEnabled(permissions.productsReport);
    m_excelSummaryButton->setEnabled(permissions.excelSummary);
    if (permissions.productKind)
        m_kindGroup->setValue(*permissions.productKind);
    m_kindGroup->setEnabled(permissions.chooseProductKind);
}

ReportsDialog::~ReportsDialog() {
    closeCompanion(kReportConnectionName);
}

void ReportsDialog::showForLastMonth() {
    const QDate today = seams::today();
    m_fromEdit->setDate(firstOfPreviousMonth(today));
    m_toEdit->setDate(firstOfMonth(today));
    if (parentWidget() == nullptr)
        if (QWidget* active = QApplication::activeWindow(); active && active != this)
            move(active->geometry().center() - rect().center());
    seams::showModal(this);
}

void ReportsDialog::previewSummary(SummaryReport report, ReportLayoutBase& layout) {
    runGuarded([&] {
        // The report streams in on a session of its own, so the main window's statements (the
        // version check) are not held up meanwhile; without one it is read whole before the
        // preview opens. That session lasts as long as the report: once the preview is closed
        // (or the report failed or was cancelled) it ends, and the workstation holds its one
        // session again.
        const QString mainConnection = m_db.connection().name();
        const bool ownSession = openCompanion(mainConnection, kReportConnectionName);
        const std::unique_ptr<const QString, void (*)(const QString*)> endSession(
            &kReportConnectionName, [](const QString* name) { closeCompanion(*name); });
        std::unique_ptr<SummaryReportFeed> feed;
        // The progress window goes however the wait ends: rows, a failure, or "Отмена".
        const std::unique_ptr<QProgressDialog, void (*)(QProgressDialog*)> hideProgress(
            m_progress, [](QProgressDialog* progress) { progress->hide(); });
        try {
            // On its own session the report is awaited with the window alive: it repaints, says
            // how long the server has been at it, and "Отмена" stops the statement on the server.
            // (On the main session the version check could not run meanwhile: that waits.)
            ServerWaitScope wait(ownSession ? ServerWait([this](int socket) { return waitForServer(socket); })
                                            : ServerWait());
            m_progress->reset();
            m_waitClock.start();
            feed = std::make_unique<SummaryReportFeed>(layout, report, m_fromEdit->date(), m_toEdit->date(),
                                                       m_kindGroup->value(),
                                                       ownSession ? kReportConnectionName : mainConnection);
        } catch (const StatementCancelled&) {
            return; // stopped by the user: nothing to show
        }
        m_progress->hide();
        if (!ownSession)
            feed->finishAll();
        showReportPreview(std::move(feed), layout.previewZoom(), this);
    });
}

bool ReportsDialog::waitForServer(int socket) {
    QEventLoop loop;
    QSocketNotifier answer(qintptr(socket), QSocketNotifier::Read);
    connect(&answer, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QMetaObject::Connection cancelled =
        connect(m_progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    // A report that comes at once shows no window; one that takes longer says how long so far.
    QTimer tick;
    auto update = [this] {
        const qint64 seconds = m_waitClock.elapsed() / 1000;
        if (m_waitClock.elapsed() < 300)
            return;
        m_progress->setLabelText(seconds == 0 ? QStringLiteral("Отчет формируется…")
                                              : QStringLiteral("Отчет формируется… %1 с").arg(seconds));
        if (!m_progress->isVisible())
            m_progress->show();
    };
    connect(&tick, &QTimer::timeout, &loop, update);
    tick.start(100);
    update();
    loop.exec();
    disconnect(cancelled);
    return !m_progress->wasCanceled();
}

void ReportsDialog::printWorkersReport() {
    previewSummary(SummaryReport::Workers, *m_workersReport);
}

void ReportsDialog::printProductsReport() {
    previewSummary(SummaryReport::Products, *m_productsReport);
}

void ReportsDialog::printWorkersDetailReport() {
    previewSummary(SummaryReport::WorkersDetail, *m_workersDetailReport);
}

void ReportsDialog::printProductsDetailReport() {
    previewSummary(SummaryReport::ProductsDetail, *m_productsDetailReport);
}

void ReportsDialog::exportSummary() {
    runGuarded([this] { writeSummaryExport(); });
}

void ReportsDialog::writeSummaryExport() {
    WaitCursor wait;
    m_summaryQuery.close();
    m_summaryQuery.setPeriod(m_fromEdit->date(), m_toEdit->date(), 2);
    m_summaryQuery.setKindFilter(m_kindGroup->value());
    m_summaryQuery.open();
    struct Closer {
        ReportQuery& q;
        ~Closer() { q.close(); }
    } closer{m_summaryQuery};

    nameNextExport(QStringLiteral("Сводный отчет %1-%2")
                       .arg(m_fromEdit->date().toString(QStringLiteral("dd.MM.yyyy")),
                            m_toEdit->date().toString(QStringLiteral("dd.MM.yyyy"))));
    if (ExcelOpen(QString()) == -1)
        return;
    const int count = m_summaryQuery.recordCount();
    const QString of = QStringLiteral(" из ") + QString::number(count) + QStringLiteral(")");
    m_excelSummaryButton->setText(QStringLiteral("Excel (0") + of);
    m_summaryQuery.first();

    const QStringList header{QStringLiteral("Наименование"), QStringLiteral("Операция"),
                             QStringLiteral("Вид продукции"), QStringLiteral("Коробки"),
                             QStringLiteral("Кол-во")};
    for (int c = 0; c < header.size(); ++c)
        ExcelPutCell(1, c + 1, 1, header[c], true);

    int row = 2;
    for (int n = 1; n <= count; ++n, ++row) {
        ExcelPutCell(1, 1, row, m_summaryQuery.fieldByName(QStringLiteral("nom")).asString(), true);
        ExcelPutCell(1, 2, row,
                     operationText(m_summaryQuery.fieldByName(QStringLiteral("vid")).asString(),
                                   m_summaryQuery.fieldByName(QStringLiteral("color")).asInteger()),
                     true);
        ExcelPutCell(1, 3, row,
                     m_summaryQuery.fieldByName(QStringLiteral("naimen")).asInteger() == 0
                         ? QStringLiteral("Готовая продукция")
                         : QStringLiteral("Заготовки"),
                     true);
        ExcelPutCell(1, 4, row, formatScreen(m_summaryQuery.fieldByName(QStringLiteral("mass")).asFloat()),
                     false);
        const double kolvo = roundHalfEven(m_summaryQuery.fieldByName(QStringLiteral("kolvo")).asFloat(), 0);
        ExcelPutCell(1, 5, row, QString::number(qint64(kolvo)), false);
        m_summaryQuery.next();
        m_excelSummaryButton->setText(QStringLiteral("Excel (") + QString::number(n) + of);
    }
    ExcelSetVisible(true);
}
