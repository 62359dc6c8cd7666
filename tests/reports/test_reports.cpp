// The printed layouts and the reports dialog on a real database: each layout's PDF text holds
// the right groups, subtotals and grand totals; the product kind limits every report and the
// Excel summary; the dialog's period defaults, previews, Excel rows and what each access code
// may use in it.
#include "ReportFixture.h"
#include "ReportTestText.h"
#include "data/Database.h"
#include "data/Format.h"
#include "export/ExcelHelper.h"
#include "reportengine/ReportPainter.h"
#include "reports/HoursTimesheetReport.h"
#include "reports/RadioGroup.h"
#include "reports/ReportsDialog.h"
#include "reports/SummaryReports.h"
#include "support/RecordingSpreadsheet.h"
#include "ui/Permissions.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// The reports dialog's controls, found by their object names.
struct ReportsControls {
    explicit ReportsControls(ReportsDialog& dialog)
        : kind(dialog.findChild<RadioGroup*>(QStringLiteral("kindGroup"))),
          from(dialog.findChild<QDateEdit*>(QStringLiteral("fromEdit"))),
          to(dialog.findChild<QDateEdit*>(QStringLiteral("toEdit"))),
          workersReport(dialog.findChild<QPushButton*>(QStringLiteral("workersReportButton"))),
          productsReport(dialog.findChild<QPushButton*>(QStringLiteral("productsReportButton"))),
          workersDetailReport(dialog.findChild<QPushButton*>(QStringLiteral("workersDetailReportButton"))),
          productsDetailReport(dialog.findChild<QPushButton*>(QStringLiteral("productsDetailReportButton"))),
          excelSummary(dialog.findChild<QPushButton*>(QStringLiteral("excelSummaryButton"))),
          close(dialog.findChild<QPushButton*>(QStringLiteral("closeButton"))),
          summaryQuery(dialog.findChild<ReportQuery*>(QStringLiteral("summaryQuery"))) {}

    bool complete() const {
        return kind && from && to && workersReport && productsReport && workersDetailReport &&
               productsDetailReport && excelSummary && close && summaryQuery;
    }
    void setPeriod(const QDate& first, const QDate& afterLast) const {
        from->setDate(first);
        to->setDate(afterLast);
    }

    RadioGroup* kind;
    QDateEdit* from;
    QDateEdit* to;
    QPushButton* workersReport;
    QPushButton* productsReport;
    QPushButton* workersDetailReport;
    QPushButton* productsDetailReport;
    QPushButton* excelSummary;
    QPushButton* close;
    ReportQuery* summaryQuery;
};

// A press and release of the left mouse button in the middle of the widget, as a user clicks;
// a disabled widget gets neither.
void clickWithMouse(QWidget* widget) {
    QTest::mousePress(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

// Everything allowed.
const Permissions kFullAccess;

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void summaryLayouts_data();
    void summaryLayouts();
    void hoursTimesheet();
    void hoursTimesheetHeadsEveryPage();
    void emptyPeriodPrintsHeadersAndZeros();
    void defaultPeriod_data();
    void defaultPeriod();
    void periodTakesTypedDates_data();
    void periodTakesTypedDates();
    void dialogPreviewsReport_data();
    void dialogPreviewsReport();
    void cancelStopsTheStatementOnTheServer_data();
    void cancelStopsTheStatementOnTheServer();
    void excelSummary_data();
    void excelSummary();
    void excelSummaryCountsRows();
    void permissionsOfAccessCodes_data();
    void permissionsOfAccessCodes();

private:
    QStringList summaryPdf(SummaryReport report, int kind, const QDate& from = kFrom, const QDate& to = kTo);
    // The sessions of the test database other than the fixture's own.
    int programSessions();
    TestDatabase* m_testDb = nullptr;
    Database* m_database = nullptr;
    QTemporaryDir m_dir;
};

void TestReports::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void TestReports::init() {
    m_testDb = new TestDatabase;
    m_database = m_testDb->openDatabase();
    loadReportFixture(*m_testDb);
}

void TestReports::cleanup() {
    seams::setModalHandler({});
    delete m_testDb;
    m_testDb = nullptr;
    m_database = nullptr;
}

int TestReports::programSessions() {
    return m_testDb
        ->scalar(
            QStringLiteral("select count(*) from pg_stat_activity where datname = current_database() and "
                           "pid <> pg_backend_pid()"))
        .toInt();
}

QStringList TestReports::summaryPdf(SummaryReport report, int kind, const QDate& from, const QDate& to) {
    auto layout = makeSummaryLayout(report, *m_database);
    SummaryReportFeed feed(*layout, report, from, to, kind);
    feed.finishAll();
    const QString file = m_dir.filePath(QStringLiteral("r.pdf"));
    QString error;
    if (!reportengine::writeReportPdf(feed.pages(), file, &error))
        return {QStringLiteral("PDF not written: ") + error};
    if (layout->query().isOpen())
        return {QStringLiteral("query left open")};
    return pdfLines(file);
}

void TestReports::summaryLayouts_data() {
    QTest::addColumn<SummaryReport>("report");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    // By workers: groups of worker and nomenclature; the nomenclature footer shows the worker's
    // maintenance (160) and average-rate (120) amounts and the subtotals with and without the
    // coefficient; the worker footer adds all the worker's maintenance works (f_sum78).
    // Васильев has maintenance only: absent, yet his 150 is part of the 360 of "Хоз.р.".
    QTest::newRow("workers, all") << SummaryReport::Workers << -1
                                  << QStringList{"Отчет по рабочим за период с 01.02.2025 по 28.02.2025",
                                                 "Алексеев А.А. Сумма без Р/К",
                                                 "Готовая продукция Окраска (грунт) 20 100.00",
                                                 "Готовая продукция Окраска (RAL: 3) 10 50.00",
                                                 "Заготовки Сварка 25 50.00",
                                                 "Хоз.р.: 160 Ср. сд.: 120 40 250.00 208.33",
                                                 "Итого: 530.00 441.67",
                                                 "Хоз.р.: 0 Ср. сд.: 0 25 50.00 41.67",
                                                 "300.00 250.00",
                                                 "580.00 483.33",
                                                 "Борисов Б.Б.",
                                                 "Готовая продукция Сварка 14 86.00",
                                                 "136.00 113.33",
                                                 "386.00 321.67",
                                                 "Хоз.р.: 360.00 300.00",
                                                 "Ср.сд.: 120.00 100.00",
                                                 "Итого: 866.00 721.67"}
                                  << QStringList{"Васильев"};
    QTest::newRow("workers, finished") << SummaryReport::Workers << 0
                                       << QStringList{"Хоз.р.: 160 Ср. сд.: 120 40 250.00 208.33",
                                                      "250.00 208.33",
                                                      "530.00 441.67",
                                                      "Борисов Б.Б.",
                                                      "336.00 280.00",
                                                      "Итого: 816.00 680.00"}
                                       << QStringList{"Заготовки", "Крышки", "Васильев"};
    QTest::newRow("workers, blanks") << SummaryReport::Workers << 1
                                     << QStringList{"Алексеев А.А.", "Заготовки Сварка 25 50.00",
                                                    "Итого: 530.00 441.67"}
                                     << QStringList{"Готовая продукция", "Борисов", "Корпуса"};

    // By products: pieces minus rejects and their mass per group; products of one group, type,
    // kind and colour stay apart and show their marks (К-1 and К-2 welding).
    QTest::newRow("products, all") << SummaryReport::Products << -1
                                   << QStringList{"Отчет по продукции за период с 01.02.2025 по 28.02.2025",
                                                  "Коробки Количество",
                                                  "Корпуса",
                                                  "К-1 Готовая продукция Сварка 37.5 15",
                                                  "К-1 Готовая продукция Окраска (грунт) 50 20",
                                                  "К-1 Готовая продукция Окраска (RAL: 3) 25 10",
                                                  "К-2 Готовая продукция Сварка 9 9",
                                                  "121.5 54",
                                                  "Кр-1 Заготовки Сварка 12.5 25",
                                                  "12.5 25",
                                                  "Итого: 134 79"}
                                   << QStringList{};
    QTest::newRow("products, blanks")
        << SummaryReport::Products << 1
        << QStringList{"Крышки", "Кр-1 Заготовки Сварка 12.5 25", "Итого: 13 25"}
        << QStringList{"Корпуса", "Готовая продукция"};

    // Detailed by workers: one row per product, type, kind and colour (two colours of one
    // painting: two rows), the worker's block of hours and amounts, the report total.
    QTest::newRow("workers detail, all")
        << SummaryReport::WorkersDetail << -1
        << QStringList{"Детальный отчет по рабочим за период с 01.02.2025 по 28.02.2025",
                       "Алексеев А.А. Часы Брак Количество Сумма",
                       "К-1 Окраска 1 Готовая продукция 4 0 20 100.00",
                       "К-1 Окраска 3 Готовая продукция 4 0 10 50.00",
                       "К-1 Сварка 0 Готовая продукция 8 2 12 100.00",
                       "Кр-1 Сварка 0 Заготовки 6 5 30 50.00",
                       "7 72 300.00",
                       "Часы Сумма с р/к (р.) Сумма без р/к (р.)",
                       "Хоз. раб. (дн.) 8 160.00 133.33",
                       "Хоз. раб. (нч.) 0 0.00 0.00",
                       "Ср. сд. (нч.) 4 120.00 100.00",
                       "Сдел. 22.00 300.00 250.00",
                       "Итого: 34.00 580.00 483.33",
                       "Цена ср. сд. за 1 ч.: 13.64 11.36",
                       "Борисов Б.Б. Часы Брак Количество Сумма",
                       "1 15 86.00",
                       "Хоз. раб. (нч.) 2 50.00 41.67",
                       "Итого: 7.00 136.00 113.33",
                       "Цена ср. сд. за 1 ч.: 17.20 14.33",
                       "Итого: 8 87 386.00"}
        << QStringList{"Васильев"};
    QTest::newRow("workers detail, finished")
        << SummaryReport::WorkersDetail << 0
        << QStringList{"2 42 250.00", "Сдел. 16.00 250.00 208.33", "Итого: 28.00 530.00 441.67",
                       "Итого: 3 57 336.00"}
        << QStringList{"Кр-1", "Заготовки"};

    // Detailed by products: pieces with rejects, mass of all pieces made, amounts.
    QTest::newRow("products detail, all")
        << SummaryReport::ProductsDetail << -1
        << QStringList{"Детальный отчет по продукции за период с 01.02.2025 по 28.02.2025",
                       "Брак Коробки Кол-во Сумма",
                       "К-1 Окраска 1 Готовая продукция 0 50 20 100.00",
                       "К-1 Окраска 3 Готовая продукция 0 25 10 50.00",
                       "К-1 Сварка 0 Готовая продукция 2 42.5 17 150.00",
                       "К-2 Сварка 0 Готовая продукция 1 10 10 36.00",
                       "3 127.50 57 336.00",
                       "Кр-1 Сварка 0 Заготовки 5 15 30 50.00",
                       "5 15.00 30 50.00",
                       "Итого: 8 142.5 87 386.00"}
        << QStringList{};
    QTest::newRow("products detail, blanks")
        << SummaryReport::ProductsDetail << 1 << QStringList{"5 15.00 30 50.00", "Итого: 5 15 30 50.00"}
        << QStringList{"К-1", "К-2", "Корпуса"};
}

void TestReports::summaryLayouts() {
    QFETCH(SummaryReport, report);
    QFETCH(int, kind);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QStringList lines = summaryPdf(report, kind);
    for (const QString& p : present)
        QVERIFY2(hasLine(lines, p), qPrintable(p + QStringLiteral("\n---\n") + lines.join(u'\n')));
    for (const QString& a : absent)
        QVERIFY2(!lines.join(u'\n').contains(a),
                 qPrintable(a + QStringLiteral("\n---\n") + lines.join(u'\n')));
}

void TestReports::hoursTimesheet() {
    // The hours timesheet's way: parameters, title, preview of the whole page, query closed.
    HoursTimesheetReport report(*m_database);
    bool shown = false, wholePage = false;
    QStringList texts;
    seams::setModalHandler([&](QDialog* d) {
        if (auto* p = qobject_cast<reportengine::ReportPreviewDialog*>(d)) {
            shown = true;
            texts = p->pages().texts();
            wholePage = p->pageView()->zoom() == reportengine::PreviewZoom::WholePage &&
                        (p->windowState() & Qt::WindowMaximized);
        }
        return 0;
    });
    report.previewMonth(2, 2025, QStringLiteral("Февраль 2025 г."));
    QVERIFY(shown);
    QVERIFY(wholePage);
    QVERIFY(!report.query().isOpen());
    QVERIFY(texts.contains(QStringLiteral("Февраль 2025 г.")));

    // The PDF: one line per worker (all shifts and kinds added), days under their numbers,
    // the row total at the right.
    report.openMonth(2, 2025);
    QCOMPARE(report.query().recordCount(), 3);
    report.setTitle(QStringLiteral("Февраль 2025 г."));
    const QString file = m_dir.filePath(QStringLiteral("h.pdf"));
    QVERIFY(report.writePdf(file));
    report.query().close();
    const QStringList lines = pdfLines(file);
    QString days;
    for (int d = 1; d <= 31; ++d)
        days += QString::number(d) + u' ';
    QVERIFY2(hasLine(lines, QStringLiteral("Февраль 2025 г. ") + days + QStringLiteral("Итого")),
             qPrintable(lines.join(u'\n')));
    QVERIFY2(hasLine(lines, QStringLiteral("Алексеев А.А. 8 4 8 20")), qPrintable(lines.join(u'\n')));
    QVERIFY2(hasLine(lines, QStringLiteral("Борисов Б.Б. 3 2 5")), qPrintable(lines.join(u'\n')));
    QVERIFY2(hasLine(lines, QStringLiteral("Васильев В.В. 10 10")), qPrintable(lines.join(u'\n')));
    QVERIFY(hasLine(lines, QStringLiteral("Стр. 1")));
}

// A month of more workers than one page holds: every page starts with the month and the day
// numbers.
void TestReports::hoursTimesheetHeadsEveryPage() {
    m_testDb->exec("insert into accounts_dep.person (id, fio) select 1000 + n, 'Работник ' || n from "
                   "generate_series(1, 60) n");
    m_testDb->exec(
        "insert into accounts_dep.h_tabel (w_id, smena, month, year, d1) select 1000 + n, 1, 2, 2025, "
        "10 from generate_series(1, 60) n");
    HoursTimesheetReport report(*m_database);
    report.openMonth(2, 2025);
    report.setTitle(QStringLiteral("Февраль 2025 г."));
    const QString file = m_dir.filePath(QStringLiteral("h2.pdf"));
    QVERIFY(report.writePdf(file));
    report.query().close();
    const QStringList lines = pdfLines(file);
    QString days;
    for (int d = 1; d <= 31; ++d)
        days += QString::number(d) + u' ';
    const QString head = QStringLiteral("Февраль 2025 г. ") + days + QStringLiteral("Итого");
    QVERIFY(hasLine(lines, QStringLiteral("Стр. 2")));
    int pages = 0, heads = 0;
    for (const QString& l : lines) {
        pages += l.contains(QStringLiteral("Стр. ")) ? 1 : 0;
        heads += l.contains(head) ? 1 : 0;
    }
    QVERIFY(pages >= 2);
    QCOMPARE(heads, pages);
}

void TestReports::emptyPeriodPrintsHeadersAndZeros() {
    const QDate from(2020, 1, 1), to(2020, 2, 1);
    QStringList lines = summaryPdf(SummaryReport::Products, -1, from, to);
    QVERIFY2(hasLine(lines, "Отчет по продукции за период с 01.01.2020 по 31.01.2020"),
             qPrintable(lines.join('\n')));
    QVERIFY2(hasLine(lines, "Итого: 0 0"), qPrintable(lines.join('\n')));
    lines = summaryPdf(SummaryReport::WorkersDetail, -1, from, to);
    QVERIFY2(hasLine(lines, "Итого: 0 0 0.00"), qPrintable(lines.join('\n')));
    // The report by workers: every cell of its closing block shows 0.00, with and without VAT.
    lines = summaryPdf(SummaryReport::Workers, -1, from, to);
    for (const char* line : {"Хоз.р.: 0.00 0.00", "Ср.сд.: 0.00 0.00", "Итого: 0.00 0.00"})
        QVERIFY2(hasLine(lines, line), qPrintable(lines.join('\n')));
}

void TestReports::defaultPeriod_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("January") << QDate(2025, 1, 15) << QDate(2024, 12, 1) << QDate(2025, 1, 1);
    QTest::newRow("March") << QDate(2025, 3, 15) << QDate(2025, 2, 1) << QDate(2025, 3, 1);
    QTest::newRow("last day of December") << QDate(2025, 12, 31) << QDate(2025, 11, 1) << QDate(2025, 12, 1);
}

void TestReports::defaultPeriod() {
    QFETCH(QDate, today);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    FixedClock clock(today.startOfDay().addSecs(10 * 3600));
    ReportsDialog dialog(*m_database, kFullAccess);
    const ReportsControls controls(dialog);
    QVERIFY(controls.complete());
    QCOMPARE(controls.from->date(), from);
    QCOMPARE(controls.to->date(), to);
    controls.kind->setValue(1); // the product kind keeps its last choice
    controls.from->setDate(QDate(2000, 5, 5));
    QDate shownFrom, shownTo;
    int shown = 0;
    seams::setModalHandler([&](QDialog* d) {
        shown += d == &dialog ? 1 : 100;
        shownFrom = controls.from->date();
        shownTo = controls.to->date();
        return 0;
    });
    dialog.showForLastMonth();
    QCOMPARE(shown, 1);
    QCOMPARE(shownFrom, from);
    QCOMPARE(shownTo, to);
    QCOMPARE(controls.kind->value(), 1);
}

void TestReports::periodTakesTypedDates_data() {
    QTest::addColumn<QString>("field"); // fromEdit or toEdit
    QTest::addColumn<QString>("start"); // how the user gets into the field before typing
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("shown");
    QTest::newRow("«с»: a click on the day, the whole date") << "fromEdit"
                                                             << "click"
                                                             << "15112026" << QDate(2026, 11, 15);
    QTest::newRow("«по»: a click on the day, the whole date") << "toEdit"
                                                              << "click"
                                                              << "01012027" << QDate(2027, 1, 1);
    QTest::newRow("«по»: Ctrl+A, the whole date") << "toEdit"
                                                  << "ctrl+a"
                                                  << "01012027" << QDate(2027, 1, 1);
    QTest::newRow("«по»: Home, the whole date") << "toEdit"
                                                << "home"
                                                << "01012027" << QDate(2027, 1, 1);
    QTest::newRow("«с»: Ctrl+A, the day alone") << "fromEdit"
                                                << "ctrl+a"
                                                << "07" << QDate(2026, 11, 7);
}

// A date typed into a period field is the date the reports use, however the user got into the
// field.
void TestReports::periodTakesTypedDates() {
    QFETCH(QString, field);
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QDate, shown);
    FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
    ReportsDialog dialog(*m_database, kFullAccess);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* box = childNamed<QDateEdit>(&dialog, field);
    auto* text = box->findChild<QLineEdit*>();
    clickOn(text, QPoint(6, text->height() / 2));
    QCOMPARE(QApplication::focusWidget(), box);
    if (start == "ctrl+a")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    else if (start == "home")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    for (QChar c : typed)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != box);
    QCOMPARE(box->date(), shown);
}

void TestReports::dialogPreviewsReport_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("total");
    QTest::newRow("by workers") << "workersReportButton" << -1
                                << "   Отчет по рабочим за период с 01.02.2025 по 28.02.2025"
                                << "866.00";
    QTest::newRow("by products") << "productsReportButton" << 1
                                 << "   Отчет по продукции за период с 01.02.2025 по 28.02.2025 (заготовки)"
                                 << "13";
    QTest::newRow("detailed by workers")
        << "workersDetailReportButton" << 0
        << "   Детальный отчет по рабочим за период с 01.02.2025 по 28.02.2025 (готовая продукция)"
        << "336.00";
    QTest::newRow("detailed by products")
        << "productsDetailReportButton" << -1
        << "   Детальный отчет по продукции за период с 01.02.2025 по 28.02.2025"
        << "386.00";
}

void TestReports::dialogPreviewsReport() {
    QFETCH(QString, button);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, total);
    ReportsDialog dialog(*m_database, kFullAccess);
    const ReportsControls controls(dialog);
    QVERIFY(controls.complete());
    controls.setPeriod(kFrom, kTo);
    controls.kind->setValue(kind);
    QStringList texts;
    bool pageWidth = false;
    int sessionsWhileShown = 0;
    seams::setModalHandler([&](QDialog* d) {
        if (auto* p = qobject_cast<reportengine::ReportPreviewDialog*>(d)) {
            texts = p->pages().texts();
            pageWidth = p->pageView()->zoom() == reportengine::PreviewZoom::PageWidth &&
                        (p->windowState() & Qt::WindowMaximized);
            sessionsWhileShown = programSessions();
        }
        return 0;
    });
    auto* reportButton = dialog.findChild<QPushButton*>(button);
    QVERIFY(reportButton);
    QCOMPARE(programSessions(), 1);
    reportButton->click();
    QVERIFY(pageWidth);
    // The report is read on a session of its own, which ends with the preview: the workstation
    // holds its one session again.
    // (The server process of an ended session leaves the server's list a moment later.)
    QCOMPARE(sessionsWhileShown, 2);
    QTRY_COMPARE(programSessions(), 1);
    QVERIFY2(texts.contains(title), qPrintable(texts.join(u'|')));
    QVERIFY2(texts.contains(total), qPrintable(texts.join(u'|')));
    // The dialog keeps its four layouts; none holds a statement open afterwards.
    const QList<ReportLayoutBase*> layouts = dialog.findChildren<ReportLayoutBase*>();
    QCOMPARE(layouts.size(), 4);
    for (const ReportLayoutBase* l : layouts)
        QVERIFY(!l->query().isOpen());
}

void TestReports::cancelStopsTheStatementOnTheServer_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("sessionKilled"); // instead of "Отмена", the server ends the session
    QTest::newRow("by workers") << "workersReportButton" << false;
    QTest::newRow("detailed by workers") << "workersDetailReportButton" << false;
    QTest::newRow("by products") << "productsReportButton" << false;
    QTest::newRow("session ended while waiting") << "workersReportButton" << true;
}

// Another workstation holds the work records locked, so the report's statement waits on the
// server: the dialog stays alive with its progress window, and "Отмена" there stops the
// statement on the server; nothing is shown, no error.
void TestReports::cancelStopsTheStatementOnTheServer() {
    QFETCH(QString, button);
    QFETCH(bool, sessionKilled);
    MessageRecorder messages;
    ReportsDialog dialog(*m_database, kFullAccess);
    const ReportsControls controls(dialog);
    QVERIFY(controls.complete());
    controls.setPeriod(kFrom, kTo);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QStringList previews;
    seams::setModalHandler([&](QDialog* d) {
        previews << d->objectName();
        return 0;
    });
    m_testDb->exec(QStringLiteral("begin"));
    m_testDb->exec(QStringLiteral("lock table accounts_dep.smena in access exclusive mode"));
    // The program's statements waiting on a lock (the server keeps only the beginning of a long
    // statement's text, so the text is not looked at).
    const QString waiting = QStringLiteral(
        "select count(*) from pg_stat_activity where datname = current_database() and state = 'active' "
        "and wait_event_type = 'Lock' and usename = 'sys'");
    int waitingBeforeCancel = -1;
    bool repainted = false;
    QProgressDialog* progress = dialog.findChild<QProgressDialog*>(QStringLiteral("reportProgress"));
    QVERIFY(progress);
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (!progress->isVisible())
            return;
        watch.stop();
        // The dialog still paints while the server works.
        repainted =
            !dialog.grab().isNull() && progress->labelText().startsWith(QStringLiteral("Отчет формируется"));
        waitingBeforeCancel = m_testDb->scalar(waiting).toInt();
        if (sessionKilled) {
            m_testDb->scalar(QString(waiting).replace("count(*)", "pg_terminate_backend(pid)"));
            return;
        }
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watch.start(50);
    QElapsedTimer clock;
    clock.start();
    clickWithMouse(dialog.findChild<QPushButton*>(button));
    const qint64 took = clock.elapsed();
    // The server no longer works on it, although the lock is still held.
    const int waitingAfterCancel = m_testDb->scalar(waiting).toInt();
    m_testDb->exec(QStringLiteral("rollback"));
    QCOMPARE(waitingBeforeCancel, 1);
    QVERIFY(repainted);
    QCOMPARE(waitingAfterCancel, 0);
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
    if (sessionKilled) {
        // A failure, not a cancel: said so, with the server's text.
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.texts().join(u'|').contains(QStringLiteral("terminating connection")),
                 qPrintable(messages.texts().join(u'|')));
        messages.clear();
    } else {
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
    }
    QVERIFY(previews.isEmpty());
    QVERIFY(!progress->isVisible());
    QTRY_COMPARE(programSessions(), 1); // the report's own session ended with the report
    // The next report comes as before.
    QStringList texts;
    seams::setModalHandler([&](QDialog* d) {
        if (auto* p = qobject_cast<reportengine::ReportPreviewDialog*>(d))
            texts = p->pages().texts();
        return 0;
    });
    clickWithMouse(dialog.findChild<QPushButton*>(button));
    QVERIFY(!texts.isEmpty());
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
    QTRY_COMPARE(programSessions(), 1);
}

void TestReports::excelSummary_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("rows"); // nom | operation | kind | mass | quantity, in sheet order
    QTest::addColumn<QString>("caption");
    const QString m = formatScreen(37.5);
    QTest::newRow("all") << -1
                         << QStringList{"Корпуса|Окраска (грунт)|Готовая продукция|50|20",
                                        "Корпуса|Окраска (цвет: 3)|Готовая продукция|25|10",
                                        "Корпуса|Сварка|Готовая продукция|" + m + "|15",
                                        "Корпуса|Сварка|Готовая продукция|9|9",
                                        "Крышки|Сварка|Заготовки|" + formatScreen(12.5) + "|25"}
                         << "Excel (5 из 5)";
    QTest::newRow("blanks") << 1 << QStringList{"Крышки|Сварка|Заготовки|" + formatScreen(12.5) + "|25"}
                            << "Excel (1 из 1)";
    QTest::newRow("finished") << 0
                              << QStringList{"Корпуса|Окраска (грунт)|Готовая продукция|50|20",
                                             "Корпуса|Окраска (цвет: 3)|Готовая продукция|25|10",
                                             "Корпуса|Сварка|Готовая продукция|" + m + "|15",
                                             "Корпуса|Сварка|Готовая продукция|9|9"}
                              << "Excel (4 из 4)";
}

void TestReports::excelSummary() {
    QFETCH(int, kind);
    QFETCH(QStringList, rows);
    QFETCH(QString, caption);
    RecordingSpreadsheet sheet;
    ReportsDialog dialog(*m_database, kFullAccess);
    const ReportsControls controls(dialog);
    QVERIFY(controls.complete());
    controls.setPeriod(kFrom, kTo);
    controls.kind->setValue(kind);
    controls.excelSummary->click();
    QCOMPARE(controls.excelSummary->text(), caption);
    QVERIFY(sheet.visible);
    QVERIFY(!controls.summaryQuery->isOpen());
    const QStringList header{"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"};
    for (int c = 1; c <= 5; ++c)
        QCOMPARE(sheet.cell(1, c, 1)->value, header[c - 1]);
    // Within one group the database may return the rows in any order: compare them sorted.
    QStringList written;
    for (int r = 2; sheet.cell(1, 1, r); ++r) {
        QStringList cells;
        for (int c = 1; c <= 5; ++c)
            cells << (sheet.cell(1, c, r) ? sheet.cell(1, c, r)->value : QString());
        written << cells.join(u'|');
    }
    QCOMPARE(written.size(), rows.size());
    QStringList sortedWritten = written, sortedRows = rows;
    sortedWritten.sort();
    sortedRows.sort();
    QCOMPARE(sortedWritten, sortedRows);
    // The groups follow the nomenclature order.
    QCOMPARE(written.last().section(u'|', 0, 0), rows.last().section(u'|', 0, 0));
    // Text columns in text format, numbers not.
    QCOMPARE(sheet.cell(1, 1, 2)->numberFormat, QStringLiteral("@"));
    QVERIFY(sheet.cell(1, 5, 2)->numberFormat != QStringLiteral("@"));
}

void TestReports::excelSummaryCountsRows() {
    // 25 colours of one painting in March: 25 rows, the last on sheet row 26.
    QString values;
    for (int c = 1; c <= 25; ++c)
        values += QStringLiteral("%1('%2.03.2025', 1, 1, 100, 12, 5, 2, 0, %3, 1, 'ok', '01.03.2025', 0)")
                      .arg(c == 1 ? "" : ", ")
                      .arg(c)
                      .arg(c);
    m_testDb->exec(
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, "
        "vvod, prize) values " +
        values);
    RecordingSpreadsheet sheet;
    ReportsDialog dialog(*m_database, kFullAccess);
    const ReportsControls controls(dialog);
    QVERIFY(controls.complete());
    controls.setPeriod(QDate(2025, 3, 2), QDate(2025, 4, 1)); // leaves out the fixture's record of 1 March
    controls.excelSummary->click();
    QCOMPARE(controls.excelSummary->text(), QStringLiteral("Excel (24 из 24)"));
    controls.from->setDate(QDate(2025, 3, 1));
    m_testDb->exec("delete from accounts_dep.smena where data = '01.03.2025' and o_id = 11");
    controls.excelSummary->click();
    QCOMPARE(controls.excelSummary->text(), QStringLiteral("Excel (25 из 25)"));
    QVERIFY(sheet.cell(1, 1, 26));
    QVERIFY(!sheet.cell(1, 1, 27) || sheet.workbooks > 1);
    QStringList ops;
    for (int r = 2; r <= 26; ++r)
        ops << sheet.cell(1, 2, r)->value;
    QVERIFY(ops.contains(QStringLiteral("Окраска (грунт)")));
    QVERIFY(ops.contains(QStringLiteral("Окраска (цвет: 3)")));
    QVERIFY(ops.contains(QStringLiteral("Окраска (цвет: 25)")));

    // An empty period: the header row only, and the caption counts nothing.
    controls.setPeriod(QDate(2020, 1, 1), QDate(2020, 2, 1));
    controls.excelSummary->click();
    QCOMPARE(controls.excelSummary->text(), QStringLiteral("Excel (0 из 0)"));
}

void TestReports::permissionsOfAccessCodes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("workersReports"); // by workers and detailed by workers
    QTest::addColumn<bool>("productsReport");
    QTest::addColumn<bool>("excelSummary");
    QTest::addColumn<bool>("chooseKind");
    QTest::addColumn<int>("kind");
    QTest::newRow("full access") << "73516280" << true << true << true << true << -1;
    QTest::newRow("foreman") << "fendrok" << false << false << false << true << -1;
    QTest::newRow("storekeeper") << "wirbo" << false << false << false << false << 0;
    QTest::newRow("analyst") << "plutvi" << true << true << true << true << -1;
}

void TestReports::permissionsOfAccessCodes() {
    QFETCH(QString, code);
    QFETCH(bool, workersReports);
    QFETCH(bool, productsReport);
    QFETCH(bool, excelSummary);
    QFETCH(bool, chooseKind);
    QFETCH(int, kind);
    const std::optional<Permissions> permissions = permissionsForCode(code);
    QVERIFY(permissions);
    ReportsDialog dialog(*m_database, *permissions);
    QCOMPARE(dialog.objectName(), QStringLiteral("ReportsDialog"));
    const ReportsControls controls(dialog);
    QVERIFY(controls.complete());
    controls.setPeriod(kFrom, kTo);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // The product kind: fixed where the permissions name one.
    QCOMPARE(controls.kind->value(), kind);
    QVERIFY(controls.kind->button(kind)->isChecked());
    QCOMPARE(controls.kind->isEnabled(), chooseKind);
    QCOMPARE(controls.kind->button(-1)->text(), QStringLiteral("Все"));
    QCOMPARE(controls.kind->button(0)->text(), QStringLiteral("Готовая продукция"));

    // A click on a report's button shows its preview only where the report is allowed.
    QStringList titles;
    QStringList texts;
    seams::setModalHandler([&](QDialog* d) {
        if (auto* p = qobject_cast<reportengine::ReportPreviewDialog*>(d)) {
            texts = p->pages().texts();
            for (const QString& t : texts)
                if (t.contains(QStringLiteral(" за период с ")))
                    titles << t.trimmed();
        }
        return 0;
    });
    const struct {
        QPushButton* button;
        bool allowed;
        QString title;
    } reports[] = {
        {controls.workersReport, workersReports, "Отчет по рабочим за период с 01.02.2025 по 28.02.2025"},
        {controls.productsReport, productsReport, "Отчет по продукции за период с 01.02.2025 по 28.02.2025"},
        {controls.workersDetailReport, workersReports,
         "Детальный отчет по рабочим за период с 01.02.2025 по 28.02.2025"},
        {controls.productsDetailReport, true,
         "Детальный отчет по продукции за период с 01.02.2025 по 28.02.2025"},
    };
    for (const auto& r : reports) {
        titles.clear();
        QCOMPARE(r.button->isEnabled(), r.allowed);
        clickWithMouse(r.button);
        // The title names the product kind the report is limited to.
        const int kind = controls.kind->value();
        const QString limited = kind == 0  ? QStringLiteral(" (готовая продукция)")
                                : kind > 0 ? QStringLiteral(" (заготовки)")
                                           : QString();
        QCOMPARE(titles, r.allowed ? QStringList{r.title + limited} : QStringList{});
    }
    QVERIFY(controls.close->isEnabled());

    // The Excel summary: a workbook only where it is allowed.
    {
        RecordingSpreadsheet sheet;
        QCOMPARE(controls.excelSummary->isEnabled(), excelSummary);
        clickWithMouse(controls.excelSummary);
        QCOMPARE(sheet.visible, excelSummary);
        QCOMPARE(controls.excelSummary->text(),
                 excelSummary ? QStringLiteral("Excel (5 из 5)") : QStringLiteral("Excel (0 из 0)"));
    }

    // A click on "Заготовки" changes the kind only where it may be chosen; the report follows the
    // kind (finished products: К-1 and К-2, 336.00; blanks: Кр-1, 50.00).
    clickWithMouse(controls.kind->button(1));
    const int shownKind = chooseKind ? 1 : kind;
    QCOMPARE(controls.kind->value(), shownKind);
    clickWithMouse(controls.productsDetailReport);
    QCOMPARE(texts.contains(QStringLiteral("К-1")), shownKind != 1);
    QCOMPARE(texts.contains(QStringLiteral("Кр-1")), shownKind != 0);
    QVERIFY2(texts.contains(shownKind == 1 ? QStringLiteral("50.00") : QStringLiteral("336.00")),
             qPrintable(texts.join(u'|')));
}

QTEST_MAIN(TestReports)
#include "test_reports.moc"
