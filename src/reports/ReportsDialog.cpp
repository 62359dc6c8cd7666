// Reports dialog "Отчеты (8)".
#include "reports/ReportsDialog.h"

#include "data/Connection.h"

#include "data/Format.h"
#include "export/ExcelHelper.h"
#include "reports/ProductsDetailReport.h"
#include "reports/ProductsReport.h"
#include "reports/RadioGroup.h"
#include "reports/WorkersDetailReport.h"
#include "reports/WorkersReport.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

ReportsDialog* g_reportsDialog = nullptr;

namespace {

QDateEdit* datePicker(const QString& name, QWidget* parent) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return d;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// A layout of the program when the window exists, otherwise one made for this print.
template <class T> TReportLayout* layoutOf(T* global, std::unique_ptr<TReportLayout>& own) {
    if (global)
        return global;
    own = std::make_unique<T>();
    return own.get();
}

// Shows the wait cursor while an action runs and restores the normal one at its end.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

QString ReportsDialog::xlsSql() {
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

ReportsDialog::ReportsDialog() {
    setObjectName(QStringLiteral("ReportsDialog"));
    setWindowTitle(QStringLiteral("Отчеты (8)"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    RadioGroup1 = new TRadioGroup(
        QStringLiteral("Вид продукции"),
        {QStringLiteral("Все"), QStringLiteral("Готовая продукция"), QStringLiteral("Заготовки")}, {-1, 0, 1},
        this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    QFont boldFont = RadioGroup1->font();
    boldFont.setBold(true);
    RadioGroup1->setFont(boldFont);

    auto* period = new QGroupBox(QStringLiteral("Период отбора"), this);
    period->setObjectName(QStringLiteral("GroupBox1"));
    DTPicker1 = datePicker(QStringLiteral("DTPicker1"), period);
    DTPicker2 = datePicker(QStringLiteral("DTPicker2"), period);
    auto* periodLayout = new QGridLayout(period);
    periodLayout->addWidget(new QLabel(QStringLiteral("с"), period), 0, 0);
    periodLayout->addWidget(DTPicker1, 0, 1);
    periodLayout->addWidget(new QLabel(QStringLiteral("по"), period), 1, 0);
    periodLayout->addWidget(DTPicker2, 1, 1);
    const QDate today = seams::today();
    DTPicker1->setDate(QDate(today.year(), today.month(), 1).addMonths(-1));
    DTPicker2->setDate(QDate(today.year(), today.month(), 1));

    Button4 = button(QStringLiteral("Button4"), QStringLiteral("Отчет по рабочим"), this);
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("Отчет по продукции"), this);
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("Детальный отчет по рабочим"), this);
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("Детальный отчет по продукции"), this);
    Button6 = button(QStringLiteral("Button6"), QStringLiteral("Excel (0 из 0)"), this);
    Button5 = button(QStringLiteral("Button5"), QStringLiteral("Выход"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addWidget(period);
    for (QPushButton* b : {Button4, Button2, Button1, Button3, Button6, Button5})
        layout->addWidget(b);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button4, &QPushButton::clicked, this, &ReportsDialog::Button4Click);
    connect(Button2, &QPushButton::clicked, this, &ReportsDialog::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &ReportsDialog::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &ReportsDialog::Button3Click);
    connect(Button6, &QPushButton::clicked, this, &ReportsDialog::Button6Click);
    // Esc closes a QDialog by itself; "Выход" does the same.
    connect(Button5, &QPushButton::clicked, this, &QDialog::reject);

    XLS_Rep.setObjectName(QStringLiteral("XLS_Rep"));
    XLS_Rep.setSql(xlsSql());
}

ReportsDialog::~ReportsDialog() {
    if (g_reportsDialog == this)
        g_reportsDialog = nullptr;
}

void ReportsDialog::openFromMainMenu() {
    // The previous month of the computer's date: from its first day to the first day of this
    // month (in January, 1 December of the previous year to 1 January).
    const QDate today = seams::today();
    const QDate thisMonth(today.year(), today.month(), 1);
    DTPicker1->setDate(thisMonth.addMonths(-1));
    DTPicker2->setDate(thisMonth);
    if (parentWidget() == nullptr)
        if (QWidget* active = QApplication::activeWindow(); active && active != this)
            move(active->geometry().center() - rect().center());
    seams::showModal(this);
}

void ReportsDialog::printReport(SummaryReport report, TReportLayout* layout) {
    // The report streams in on a session of its own, so the main window's statements (the version
    // check) are not held up meanwhile; without one it is read whole before the preview opens.
    const bool ownSession = openCompanion(kConnectionName, kReportConnectionName);
    auto feed = std::make_unique<SummaryReportFeed>(*layout, report, DTPicker1->date(), DTPicker2->date(),
                                                    RadioGroup1->itemIndex(),
                                                    ownSession ? kReportConnectionName : kConnectionName);
    if (!ownSession)
        feed->finishAll();
    showReportPreview(std::move(feed), layout->previewZoom(), this);
}

void ReportsDialog::Button4Click() {
    std::unique_ptr<TReportLayout> own;
    printReport(SummaryReport::Workers, layoutOf(g_workersReport, own));
}

void ReportsDialog::Button2Click() {
    std::unique_ptr<TReportLayout> own;
    printReport(SummaryReport::Products, layoutOf(g_productsReport, own));
}

void ReportsDialog::Button1Click() {
    std::unique_ptr<TReportLayout> own;
    printReport(SummaryReport::WorkersDetail, layoutOf(g_workersDetailReport, own));
}

void ReportsDialog::Button3Click() {
    std::unique_ptr<TReportLayout> own;
    printReport(SummaryReport::ProductsDetail, layoutOf(g_productsDetailReport, own));
}

void ReportsDialog::Button6Click() {
    WaitCursor wait;
    XLS_Rep.close();
    XLS_Rep.setPeriod(DTPicker1->date(), DTPicker2->date(), 2);
    XLS_Rep.setKindFilter(RadioGroup1->itemIndex());
    XLS_Rep.open();
    struct Closer {
        ReportQuery& q;
        ~Closer() { q.close(); }
    } closer{XLS_Rep};

    if (ExcelOpen(QString()) == -1)
        return;
    const int count = XLS_Rep.recordCount();
    const QString of = QStringLiteral(" из ") + QString::number(count) + QStringLiteral(")");
    Button6->setText(QStringLiteral("Excel (0") + of);
    XLS_Rep.first();

    const QStringList header{QStringLiteral("Наименование"), QStringLiteral("Операция"),
                             QStringLiteral("Вид продукции"), QStringLiteral("Коробки"),
                             QStringLiteral("Кол-во")};
    for (int c = 0; c < header.size(); ++c)
        ExcelPutCell(1, c + 1, 1, header[c], true);

    int row = 2;
    for (int n = 1; n <= count; ++n, ++row) {
        ExcelPutCell(1, 1, row, XLS_Rep.fieldByName(QStringLiteral("nom")).asString(), true);
        ExcelPutCell(1, 2, row,
                     operationText(XLS_Rep.fieldByName(QStringLiteral("vid")).asString(),
                                   XLS_Rep.fieldByName(QStringLiteral("color")).asInteger()),
                     true);
        ExcelPutCell(1, 3, row,
                     XLS_Rep.fieldByName(QStringLiteral("naimen")).asInteger() == 0
                         ? QStringLiteral("Готовая продукция")
                         : QStringLiteral("Заготовки"),
                     true);
        ExcelPutCell(1, 4, row, formatScreen(XLS_Rep.fieldByName(QStringLiteral("mass")).asFloat()), false);
        const double kolvo = roundHalfEven(XLS_Rep.fieldByName(QStringLiteral("kolvo")).asFloat(), 0);
        ExcelPutCell(1, 5, row, QString::number(qint64(kolvo)), false);
        XLS_Rep.next();
        Button6->setText(QStringLiteral("Excel (") + QString::number(n) + of);
    }
    ExcelSetVisible(true);
}
