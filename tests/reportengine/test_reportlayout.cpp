// Layout of band reports into pages: print order, group totals, empty results, page breaks, the
// preview window.
#include "ReportTestData.h"
#include "reportengine/ReportLayout.h"
#include "reportengine/ReportPainter.h"
#include "reportengine/ReportPreview.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace reportengine;

namespace {

// One line per printed band, in print order: "band: text|text".
QStringList printed(const ReportPages& pages, const QStringList& skipBands = {"pageFooter"}) {
    QMap<int, QString> lines;
    QMap<int, QStringList> texts;
    for (const ReportPage& page : pages.pages)
        for (const ReportItem& item : page.items) {
            if (skipBands.contains(item.band))
                continue;
            lines[item.bandSerial] = item.band;
            if (item.kind == ReportItem::Kind::Text)
                texts[item.bandSerial].append(item.text);
        }
    QStringList result;
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        result.append(it.value() + ": " + texts.value(it.key()).join('|'));
    return result;
}

ReportBand band(const QString& name, std::vector<ReportElement> elements, double height = 5) {
    ReportBand b;
    b.name = name;
    b.heightMm = height;
    b.elements = std::move(elements);
    return b;
}

ReportElement at(int column, const QString& expression, const QString& mask = {}) {
    return field(expression, QRectF(column * 30, 0, 30, 5), mask);
}

MemoryDataSource sales() {
    return MemoryDataSource(
        {"worker", "nom", "summa", "extra"},
        {{"A", "n1", 10, 1}, {"A", "n1", 5, 2}, {"A", "n2", 7, 3}, {"B", "n2", 3, 4}, {"B", "n3", 2.5, 5}});
}

// Report header/summary pair, worker and nomenclature groups, running and group totals.
ReportDefinition salesReport() {
    ReportDefinition r;
    r.groups.push_back({"", band("head", {label("Отчет", {0, 0, 30, 5})}),
                        band("foot", {at(0, "SUM(summa)"), at(1, "worker")})});
    r.groups.push_back(
        {"worker", band("worker", {at(0, "worker")}),
         band("workerFoot", {at(0, "worker"), at(1, "SUM(summa)"), at(2, "SUM(summa)/1.2", "#0.00")})});
    r.groups.push_back(
        {"NOM", band("nom", {at(0, "nom")}),
         band("nomFoot", {at(0, "nom"), at(1, "SUM(summa)"), at(2, "extra"), at(3, "SUM(summa) + extra")})});
    r.detail = band("detail", {at(0, "summa"), at(1, "SUM(summa)")});
    r.summary = band("summary", {at(0, "SUM(summa)", "#0.00"), at(1, "SUM(extra)")});
    return r;
}

const QStringList kWorkerFields = {"fio", "nom", "naimen", "kolvo", "summa", "f_sum7"};

// Row r of one source added to another, as if it had just come from the server.
void copyRow(const MemoryDataSource& from, MemoryDataSource& to, int r) {
    QVariantList values;
    for (const QString& f : kWorkerFields)
        values << from.value(r, f);
    to.addRow(values);
}

// Rows as a long report's source keeps them: the rows the layout no longer needs are forgotten
// (read as empty) and each read of one is counted.
class ForgettingSource : public ReportDataSource {
public:
    explicit ForgettingSource(const MemoryDataSource& all) : m_all(all) {}
    int rowCount() const override { return m_count; }
    int fieldIndex(const QString& name) const override { return m_all.fieldIndex(name); }
    QVariant value(int row, int field) const override {
        if (row < m_forgotten) {
            ++readsOfForgotten;
            return {};
        }
        return m_all.value(row, field);
    }
    using ReportDataSource::value;
    void grow(int count) { m_count = std::min(m_all.rowCount(), m_count + count); }
    void forgetBefore(int row) { m_forgotten = std::max(m_forgotten, row); }
    int forgotten() const { return m_forgotten; }
    mutable int readsOfForgotten = 0;

private:
    const MemoryDataSource& m_all;
    int m_count = 0;
    int m_forgotten = 0;
};

// The worker report without the page count, so that nothing waits for the last row.
ReportDefinition streamableWorkerReport() {
    ReportDefinition report = testdata::workerReport();
    report.pageFooter->elements[0].text = "'Стр. ' + STR(PAGE())";
    return report;
}

} // namespace

class TestReportLayout : public QObject {
    Q_OBJECT
private slots:
    void nestedGroupsAndTotals();
    void childBandsFollowTheirParent();
    void emptyResultPrintsHeadersAndZeros();
    void pageBreaksKeepBandsWhole_data();
    void pageBreaksKeepBandsWhole();
    void oversizedBandGetsAPageOfItsOwn();
    void stretchingText_data();
    void stretchingText();
    void framesAndShading();
    void callerSetsLabelText();
    void badDefinitionIsRefused();
    void rowsArrivingInBatches();
    void rowsBeforeTheFirstNeededAreNotReadAgain_data();
    void rowsBeforeTheFirstNeededAreNotReadAgain();
    void releasedPagesStayCounted();
    void previewWhileLoading();
    void previewWindow();
    void previewPageKeysAndButtons();
    void previewSavesAndPrints();
    void interruptedPreviewRefusesPrintAndSave();
};

void TestReportLayout::nestedGroupsAndTotals() {
    const MemoryDataSource rows = sales();
    const ReportPages pages = layoutReport(salesReport(), rows);
    // Inner footers print before outer ones; an outer change closes the inner group even when its
    // value stays the same (n2 of A, then n2 of B). Group footers reset their SUMs, the detail's
    // running SUM and the summary never reset, plain fields in footers show the group's last row.
    const QStringList expected = {
        "head: Отчет",
        "worker: A",
        "nom: n1",
        "detail: 10|10",
        "detail: 5|15",
        "nomFoot: n1|15|2|17",
        "nom: n2",
        "detail: 7|22",
        "nomFoot: n2|7|3|10",
        "workerFoot: A|22|18.33",
        "worker: B",
        "nom: n2",
        "detail: 3|25",
        "nomFoot: n2|3|4|7",
        "nom: n3",
        "detail: 2.5|27.5",
        "nomFoot: n3|2.5|5|7.5",
        "workerFoot: B|5.5|4.58",
        "foot: 27.5|B",
        "summary: 27.50|15",
    };
    QCOMPARE(printed(pages), expected);
}

void TestReportLayout::childBandsFollowTheirParent() {
    ReportDefinition r;
    r.titleBand = band("title", {label("Заголовок", {0, 0, 50, 5})});
    ReportBand head = band("head", {label("Шапка", {0, 0, 50, 5})});
    ReportBand spacer = band("spacer", {}, 0.5);
    spacer.background = Qt::gray;
    head.children.push_back(spacer);
    r.groups.push_back({"", head, band("foot", {label("Подвал", {0, 0, 50, 5})})});
    ReportBand detail = band("detail", {at(0, "nom")});
    ReportBand detailChild = band("detailChild", {at(0, "'после ' + nom"), at(1, "SUM(summa)")});
    detail.children.push_back(detailChild);
    r.detail = detail;
    ReportBand workerFoot = band("workerFoot", {at(0, "SUM(summa)")});
    workerFoot.children.push_back(band("workerFootChild", {at(0, "SUM(summa) * 2")}));
    r.groups.push_back({"worker", {}, workerFoot});
    const MemoryDataSource rows = sales();
    const QStringList all = printed(layoutReport(r, rows));
    // A SUM in a footer's child band is a subtotal too: reset after the footer with its children.
    QCOMPARE(all.mid(0, 8), QStringList({"title: Заголовок", "head: Шапка", "spacer: ", "detail: n1",
                                         "detailChild: после n1|10", "detail: n1", "detailChild: после n1|15",
                                         "detail: n2"}));
    QCOMPARE(all.filter("workerFoot"), QStringList({"workerFoot: 22", "workerFootChild: 44",
                                                    "workerFoot: 5.5", "workerFootChild: 11"}));
    QCOMPARE(all.last(), QString("foot: Подвал"));
}

void TestReportLayout::emptyResultPrintsHeadersAndZeros() {
    MemoryDataSource none({"worker", "nom", "summa", "extra"});
    ReportDefinition r = salesReport();
    r.titleBand = band("title", {label("Пустой отчет", {0, 0, 50, 5})});
    r.summary->elements.push_back(at(2, "SUM(summa) + extra", "#0.00"));
    r.summary->elements.push_back(at(3, "extra", "#0.00"));
    r.pageFooter = band("pageFooter", {at(5, "PAGE()")});
    const ReportPages pages = layoutReport(r, none);
    QCOMPARE(pages.pageCount(), 1);
    // Groups with an expression have no instance; the header/summary pair and the totals print,
    // sums are zero and a plain field without a row is empty.
    QCOMPARE(printed(pages, {}), QStringList({"title: Пустой отчет", "head: Отчет", "foot: 0",
                                              "summary: 0.00|0|0.00", "pageFooter: 1"}));
}

void TestReportLayout::pageBreaksKeepBandsWhole_data() {
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<int>("rows");
    QTest::newRow("portrait") << QPageLayout::Portrait << 260;
    QTest::newRow("landscape") << QPageLayout::Landscape << 150;
}

void TestReportLayout::pageBreaksKeepBandsWhole() {
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(int, rows);
    MemoryDataSource data({"grp", "n"});
    for (int i = 0; i < rows; ++i)
        data.addRow({i / 7, i});
    ReportDefinition r;
    r.orientation = orientation;
    r.titleBand = band("title", {label("Заголовок", {0, 0, 100, 12})}, 12);
    r.columnHeader = band("columns", {label("Номер", {0, 0, 30, 5})});
    r.groups.push_back({"grp", band("grpHead", {at(0, "'Группа ' + STR(grp)")}, 6.3),
                        band("grpFoot", {at(0, "SUM(n)"), field("'итог'", {0, 5, 30, 5})}, 11)});
    r.detail = band("detail", {at(0, "n")}, 4.1);
    r.summary = band("summary", {at(0, "SUM(n)")}, 20);
    r.pageFooter =
        band("pageFooter", {field("'Стр. ' + STR(PAGE()) + ' из ' + STR(PAGECOUNT())", {0, 2, 60, 5})}, 8);
    const ReportPages pages = layoutReport(r, data);

    const QSizeF a4(210, 297);
    QCOMPARE(pages.pageSizeMm, orientation == QPageLayout::Portrait ? a4 : a4.transposed());
    QVERIFY(pages.pageCount() >= 3);
    const double bodyTop = 10;
    const double bodyBottom = pages.pageSizeMm.height() - 10 - 8;
    std::map<int, std::set<int>> pagesOfBand;
    QStringList details;
    for (int p = 0; p < pages.pageCount(); ++p) {
        QStringList footers;
        QStringList columnHeaders;
        for (const ReportItem& item : pages.pages[p].items) {
            pagesOfBand[item.bandSerial].insert(p);
            if (item.kind != ReportItem::Kind::Text)
                continue;
            if (item.band == "pageFooter") {
                footers.append(item.text);
                QCOMPARE(item.rect.bottom(), pages.pageSizeMm.height() - 10 - 1); // at the foot of the sheet
                continue;
            }
            QVERIFY2(item.rect.top() >= bodyTop - 1e-6 && item.rect.bottom() <= bodyBottom + 1e-6,
                     qPrintable(
                         QString("%1 '%2' leaves the body on page %3").arg(item.band, item.text).arg(p + 1)));
            if (item.band == "detail")
                details.append(item.text);
            if (item.band == "columns")
                columnHeaders.append(item.text);
        }
        QCOMPARE(footers, QStringList{QString("Стр. %1 из %2").arg(p + 1).arg(pages.pageCount())});
        QCOMPARE(columnHeaders, QStringList{"Номер"});
    }
    for (const auto& [serial, onPages] : pagesOfBand)
        QVERIFY2(onPages.size() == 1, qPrintable(QString("band %1 split over pages").arg(serial)));
    QStringList expected;
    for (int i = 0; i < rows; ++i)
        expected.append(QString::number(i));
    QCOMPARE(details, expected); // every row exactly once, in order
    QCOMPARE(pages.texts(0).first(), QString("Заголовок"));
    QVERIFY(!pages.texts(1).contains("Заголовок"));
    QCOMPARE(pages.texts(pages.pageCount() - 1).at(pages.texts(pages.pageCount() - 1).size() - 2),
             QString::number(rows * (rows - 1) / 2)); // the grand total, just above the page footer
}

void TestReportLayout::oversizedBandGetsAPageOfItsOwn() {
    // A band taller than the page body cannot be kept whole anywhere: it starts a page of its own
    // instead of pushing itself onto new pages for ever.
    ReportDefinition r;
    r.detail = band("detail", {at(0, "n")}, 400);
    const MemoryDataSource rows({"n"}, {{1}, {2}, {3}});
    const ReportPages pages = layoutReport(r, rows);
    QCOMPARE(pages.pageCount(), 3);
    QCOMPARE(pages.texts(2), QStringList{"3"});
}

void TestReportLayout::stretchingText_data() {
    QTest::addColumn<bool>("wordWrap");
    QTest::addColumn<bool>("stretch");
    QTest::addColumn<bool>("grows");
    QTest::newRow("clipped") << false << false << false;
    QTest::newRow("wrapped in its box") << true << false << false;
    QTest::newRow("wrapped and stretched") << true << true << true;
}

void TestReportLayout::stretchingText() {
    QFETCH(bool, wordWrap);
    QFETCH(bool, stretch);
    QFETCH(bool, grows);
    MemoryDataSource data({"fio"},
                          {{"Константинопольский Александр Вениаминович, бригада сборки № 3"}, {"Б"}});
    ReportElement name = field("fio", {0, 0, 30, 5});
    name.wordWrap = wordWrap;
    name.stretch = stretch;
    ReportDefinition r;
    r.detail = band("detail", {name});
    const ReportPages pages = layoutReport(r, data);
    const auto& items = pages.pages[0].items;
    QCOMPARE(items.size(), size_t(2));
    const double firstHeight = items[1].rect.top() - items[0].rect.top();
    QCOMPARE(items[0].wordWrap, wordWrap);
    if (grows) {
        QVERIFY2(firstHeight > 10, qPrintable(QString::number(firstHeight)));
        QCOMPARE(items[0].rect.height(), firstHeight);
    } else {
        QCOMPARE(firstHeight, 5.0);
    }
}

void TestReportLayout::framesAndShading() {
    ReportDefinition r;
    ReportElement cell = label("1", {20, 0, 8, 5}, Qt::AlignCenter);
    cell.frame = Frame::all();
    cell.background = QColor(Qt::lightGray);
    ReportBand summary = band("summary", {cell});
    summary.frame = Frame::all();
    summary.background = QColor(0xF0, 0xF0, 0xF0);
    r.orientation = QPageLayout::Landscape;
    r.summary = summary;
    const ReportPages pages = layoutReport(r, MemoryDataSource({"x"}));
    QList<QRectF> fills;
    QList<QLineF> lines;
    for (const ReportItem& item : pages.pages[0].items) {
        if (item.kind == ReportItem::Kind::Fill)
            fills.append(item.rect);
        if (item.kind == ReportItem::Kind::Line)
            lines.append(item.line);
    }
    // The band's shading spans the printable width (297 - 2 * 10), the cell's lies on top of it.
    QCOMPARE(fills, QList<QRectF>({QRectF(10, 10, 277, 5), QRectF(30, 10, 8, 5)}));
    QCOMPARE(lines.size(), 8);
    QVERIFY(lines.contains(QLineF(10, 15, 287, 15))); // the band's bottom line
    QVERIFY(lines.contains(QLineF(38, 10, 38, 15)));  // the cell's right line
}

void TestReportLayout::callerSetsLabelText() {
    ReportDefinition r = testdata::workerReport();
    QVERIFY(r.setText("QRLabel1", "Отчет по рабочим за январь 2026 г."));
    QVERIFY(!r.setText("QRLabel99", "x"));
    const MemoryDataSource rows = testdata::workerRows(1, 1);
    QCOMPARE(layoutReport(r, rows).texts(0).first(), QString("Отчет по рабочим за январь 2026 г."));
}

void TestReportLayout::badDefinitionIsRefused() {
    const MemoryDataSource rows = sales();
    ReportDefinition r = salesReport();
    r.detail->elements.push_back(at(3, "sumaa * 2"));
    QVERIFY_THROWS_EXCEPTION(ReportError, layoutReport(r, rows));
    r = salesReport();
    r.detail->elements.push_back(at(3, "summa", "abc"));
    QVERIFY_THROWS_EXCEPTION(ReportError, layoutReport(r, rows));
    r = salesReport();
    r.groups[1].expression = "worker +";
    QVERIFY_THROWS_EXCEPTION(ReportError, layoutReport(r, rows));
}

// Rows that come in batches, as the database sends them, give the very pages of a layout over all
// rows at once; pages before the one being filled never change once reported complete.
void TestReportLayout::rowsArrivingInBatches() {
    const MemoryDataSource all = testdata::workerRows(5, 12);
    const ReportDefinition report = streamableWorkerReport();
    const ReportPages expected = layoutReport(report, all);
    QVERIFY(expected.pageCount() > 2);

    MemoryDataSource growing(kWorkerFields);
    LayoutRun run(report, growing);
    run.addRows(); // no rows yet: nothing laid out, nothing complete
    QCOMPARE(run.completePages(), 0);
    QCOMPARE(run.pages().pageSizeMm, expected.pageSizeMm);
    QStringList completeTexts;
    for (int r = 0; r < all.rowCount(); ++r) {
        copyRow(all, growing, r);
        if (r % 7 == 6 || r == all.rowCount() - 1) {
            run.addRows();
            for (int p = 0; p < run.completePages(); ++p)
                if (p < completeTexts.size())
                    QCOMPARE(run.pages().texts(p).join('|'), completeTexts[p]);
                else
                    completeTexts << run.pages().texts(p).join('|');
        }
    }
    QVERIFY(!run.isFinished());
    QVERIFY(run.completePages() > 0);
    run.finish();
    QVERIFY(run.isFinished());
    QCOMPARE(run.completePages(), expected.pageCount());
    for (int p = 0; p < expected.pageCount(); ++p) {
        QCOMPARE(run.pages().texts(p), expected.texts(p));
        QCOMPARE(run.pages().pages[p].items.size(), expected.pages[p].items.size());
        if (p < completeTexts.size())
            QCOMPARE(completeTexts[p], expected.texts(p).join('|'));
    }

    // A layout that prints the page count waits for the last row.
    MemoryDataSource counted(kWorkerFields);
    LayoutRun waiting(testdata::workerReport(), counted);
    for (int r = 0; r < all.rowCount(); ++r)
        copyRow(all, counted, r);
    waiting.addRows();
    QCOMPARE(waiting.completePages(), 0);
    waiting.finish();
    QCOMPARE(waiting.pages().texts(), layoutReport(testdata::workerReport(), all).texts());
}

// The preview opens on the first pages while the rest is laid out between its events; the page
// label shows the count so far with an ellipsis; asking for all pages finishes the layout first.
void TestReportLayout::rowsBeforeTheFirstNeededAreNotReadAgain_data() {
    QTest::addColumn<int>("batch");
    QTest::newRow("row by row") << 1;
    QTest::newRow("a few rows") << 5;
    QTest::newRow("a page's worth") << 40;
}

// A long report's source drops the rows before firstRowNeeded() after every batch: the layout
// never reads one of them again and its pages are those of a layout over all rows at once.
void TestReportLayout::rowsBeforeTheFirstNeededAreNotReadAgain() {
    QFETCH(int, batch);
    const MemoryDataSource all = testdata::workerRows(5, 12);
    const ReportDefinition report = streamableWorkerReport();
    const ReportPages expected = layoutReport(report, all);
    ForgettingSource rows(all);
    LayoutRun run(report, rows);
    while (rows.rowCount() < all.rowCount()) {
        rows.grow(batch);
        run.addRows();
        rows.forgetBefore(run.firstRowNeeded());
    }
    run.finish();
    QCOMPARE(rows.readsOfForgotten, 0);
    QVERIFY(rows.forgotten() >= all.rowCount() - 2); // the rows did go
    QCOMPARE(run.pages().texts(), expected.texts());

    // A layout that prints the page count reads every row again at the end: it needs them all.
    LayoutRun counted(testdata::workerReport(), all);
    counted.addRows();
    QCOMPARE(counted.firstRowNeeded(), 0);
}

// Pages released after they were written keep their place: the count and the pages after them
// stay, only their items go; a page still being filled is not released.
void TestReportLayout::releasedPagesStayCounted() {
    const MemoryDataSource all = testdata::workerRows(5, 12);
    const ReportDefinition report = streamableWorkerReport();
    const ReportPages expected = layoutReport(report, all);
    MemoryDataSource rows(kWorkerFields);
    LayoutRun run(report, rows);
    for (int r = 0; r < all.rowCount() / 2; ++r)
        copyRow(all, rows, r);
    run.addRows();
    const int complete = run.completePages();
    QVERIFY(complete > 0);
    run.releasePages(complete + 5);
    for (int p = 0; p < complete; ++p)
        QVERIFY(run.pages().pages[p].items.empty());
    QVERIFY(!run.pages().pages[complete].items.empty());
    for (int r = all.rowCount() / 2; r < all.rowCount(); ++r)
        copyRow(all, rows, r);
    run.addRows();
    run.finish();
    QCOMPARE(run.pages().pageCount(), expected.pageCount());
    for (int p = complete; p < expected.pageCount(); ++p)
        QCOMPARE(run.pages().texts(p), expected.texts(p));
}

void TestReportLayout::previewWhileLoading() {
    const MemoryDataSource all = testdata::workerRows(5, 12);
    const ReportPages expected = layoutReport(streamableWorkerReport(), all);
    auto feedOf = [&](MemoryDataSource& rows, int& next) {
        return std::make_unique<LayoutFeed>(streamableWorkerReport(), rows, [&] {
            for (int k = 0; k < 5 && next < all.rowCount(); ++k)
                copyRow(all, rows, next++);
            return next < all.rowCount();
        });
    };

    MemoryDataSource rows(kWorkerFields);
    int next = 0;
    ReportPreviewDialog dialog(feedOf(rows, next));
    auto* label = dialog.findChild<QLabel*>("pageLabel");
    QCOMPARE(dialog.pageView()->pageCount(), 0);
    for (int pass = 0; pass < 1000 && dialog.pageView()->pageCount() == 0; ++pass)
        QCoreApplication::processEvents(); // each pass lets the loader lay out one batch
    QVERIFY(dialog.pageView()->pageCount() > 0);
    QVERIFY(!dialog.isComplete());
    QVERIFY2(label->text().endsWith(" …"), qPrintable(label->text()));
    QTRY_VERIFY(dialog.isComplete());
    QCOMPARE(label->text(), QString("Страница 1 из %1").arg(expected.pageCount()));

    MemoryDataSource rows2(kWorkerFields);
    int next2 = 0;
    ReportPreviewDialog asked(feedOf(rows2, next2));
    QCOMPARE(asked.pages().texts(), expected.texts());
    QVERIFY(asked.isComplete());
    QCOMPARE(asked.pageView()->pageCount(), expected.pageCount());
}

// The page keys act wherever the focus is (here on "Закрыть", not in the pages); the buttons and
// the page-number box move as well, and the label follows.
void TestReportLayout::previewPageKeysAndButtons() {
    const MemoryDataSource rows = testdata::workerRows(20, 12);
    ReportPreviewDialog dialog(layoutReport(testdata::workerReport(), rows), PreviewZoom::PageWidth);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const int pageCount = dialog.pages().pageCount();
    QVERIFY(pageCount >= 4);
    ReportPageView* view = dialog.pageView();
    auto* label = dialog.findChild<QLabel*>("pageLabel");
    auto* closeButton = dialog.findChild<QPushButton*>("closeButton");
    closeButton->setFocus();
    QTest::keyEvent(QTest::Click, closeButton, Qt::Key_PageDown);
    QCOMPARE(view->currentPage(), 2);
    QTest::keyEvent(QTest::Click, closeButton, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view->currentPage(), pageCount);
    QCOMPARE(label->text(), QString("Страница %1 из %1").arg(pageCount));
    QTest::keyEvent(QTest::Click, closeButton, Qt::Key_PageUp);
    QCOMPARE(view->currentPage(), pageCount - 1);
    QTest::keyEvent(QTest::Click, closeButton, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view->currentPage(), 1);
    dialog.findChild<QPushButton*>("nextPageButton")->click();
    QCOMPARE(view->currentPage(), 2);
    dialog.findChild<QPushButton*>("lastPageButton")->click();
    QCOMPARE(view->currentPage(), pageCount);
    dialog.findChild<QPushButton*>("previousPageButton")->click();
    QCOMPARE(view->currentPage(), pageCount - 1);
    dialog.findChild<QPushButton*>("firstPageButton")->click();
    QCOMPARE(view->currentPage(), 1);
    auto* number = dialog.findChild<QLineEdit*>("pageNumberEdit");
    QCOMPARE(number->text(), QString("1"));
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, "3");
    QTest::keyEvent(QTest::Click, number, Qt::Key_Return);
    QCOMPARE(view->currentPage(), 3);
    QCOMPARE(label->text(), QString("Страница 3 из %1").arg(pageCount));
}

void TestReportLayout::previewWindow() {
    const MemoryDataSource rows = testdata::workerRows(5, 12);
    ReportPreviewDialog dialog(layoutReport(testdata::workerReport(), rows), PreviewZoom::PageWidth);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.windowState() & Qt::WindowMaximized);
    const int pageCount = dialog.pages().pageCount();
    QVERIFY(pageCount >= 2);
    auto* label = dialog.findChild<QLabel*>("pageLabel");
    QCOMPARE(label->text(), QString("Страница 1 из %1").arg(pageCount));

    ReportPageView* view = dialog.pageView();
    const int viewportWidth = view->viewport()->width();
    QVERIFY(std::abs(view->pxPerMm() * 210 - (viewportWidth - 24)) < 1.0); // zoomed to the page width
    dialog.findChild<QPushButton*>("wholePageButton")->click();
    QVERIFY(view->pxPerMm() * 297 <= view->viewport()->height() - 24 + 1); // the whole page shows
    QCOMPARE(view->zoom(), PreviewZoom::WholePage);

    view->showPage(2);
    QCOMPARE(view->currentPage(), 2);
    QCOMPARE(label->text(), QString("Страница 2 из %1").arg(pageCount));

    // Something dark (text) is painted on the white page.
    const QImage shot = view->viewport()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            dark += qGray(shot.pixel(x, y)) < 60;
    QVERIFY(dark > 50);
}

void TestReportLayout::previewSavesAndPrints() {
    QTemporaryDir dir;
    const MemoryDataSource rows = testdata::workerRows(5, 12);
    ReportPreviewDialog dialog(layoutReport(testdata::workerReport(), rows));
    auto saved = ReportPreviewDialog::hooks();
    QStringList errors;
    QString suggested;
    ReportPreviewDialog::hooks().showError = [&](QWidget*, const QString& m) { errors.append(m); };
    ReportPreviewDialog::hooks().chooseSaveFile = [&](QWidget*, const QString& s) {
        suggested = s;
        return dir.filePath("отчет");
    };
    ReportPreviewDialog::hooks().choosePrinter = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 2);
        return true;
    };

    dialog.findChild<QPushButton*>("pdfButton")->click();
    QCOMPARE(QFileInfo(suggested).fileName(), QString("Отчет по рабочим.pdf"));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(QFileInfo(suggested).absolutePath(),
             QFileInfo(documents.isEmpty() ? QDir::homePath() : documents).absoluteFilePath());
    QVERIFY(QFile::exists(dir.filePath("отчет.pdf"))); // the missing suffix is added

    dialog.findChild<QPushButton*>("printButton")->click();
    QProcess info;
    info.start("pdfinfo", {dir.filePath("printed.pdf")});
    QVERIFY(info.waitForFinished());
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+1\\n")));

    // A file that cannot be written is reported, not passed over.
    ReportPreviewDialog::hooks().chooseSaveFile = [&](QWidget*, const QString&) {
        return dir.filePath("нет/такой/папки.pdf");
    };
    QVERIFY(!dialog.saveAsPdf());
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("папки.pdf"), qPrintable(errors[0]));
    ReportPreviewDialog::hooks() = saved;
}

// The rows stop coming after the first batches (the session died): the preview says so, and
// neither prints nor saves the shorter report as if it were whole.
void TestReportLayout::interruptedPreviewRefusesPrintAndSave() {
    QTemporaryDir dir;
    const MemoryDataSource all = testdata::workerRows(5, 12);
    MemoryDataSource rows(kWorkerFields);
    int next = 0;
    ReportPreviewDialog dialog(std::make_unique<LayoutFeed>(streamableWorkerReport(), rows, [&] {
        if (next >= 20)
            throw std::runtime_error("server closed the connection unexpectedly");
        for (int k = 0; k < 5; ++k)
            copyRow(all, rows, next++);
        return true;
    }));
    auto saved = ReportPreviewDialog::hooks();
    QStringList errors;
    bool asked = false;
    ReportPreviewDialog::hooks().showError = [&](QWidget*, const QString& m) { errors.append(m); };
    ReportPreviewDialog::hooks().chooseSaveFile = [&](QWidget*, const QString&) {
        asked = true;
        return dir.filePath("отчет.pdf");
    };
    ReportPreviewDialog::hooks().choosePrinter = [&](QPrinter&, QWidget*) {
        asked = true;
        return false;
    };
    // The failure is shown by the preview itself, with its cause; nothing leaves the event loop.
    for (int pass = 0; pass < 1000 && errors.isEmpty(); ++pass)
        QCoreApplication::processEvents();
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0],
             QString("Отчет прерван: его строки перестали поступать.\n\nserver closed the connection "
                     "unexpectedly"));
    errors.clear();
    QVERIFY(dialog.isInterrupted());
    QVERIFY(!dialog.isComplete());
    QVERIFY(dialog.findChild<QLabel*>("pageLabel")->text().endsWith("отчет прерван"));
    clickOn(dialog.findChild<QPushButton*>("printButton"));
    clickOn(dialog.findChild<QPushButton*>("pdfButton"));
    QVERIFY(!asked);
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors[0].startsWith("Отчет прерван"));
    QVERIFY(!QFile::exists(dir.filePath("отчет.pdf")));
    ReportPreviewDialog::hooks() = saved;
}

QTEST_MAIN(TestReportLayout)
#include "test_reportlayout.moc"
