// The export operations over the recording backend: results, error boxes, the calls that reach
// the spreadsheet and the sharing of the application reference.
#include "export/ExcelHelper.h"
#include "support/RecordingSpreadsheet.h"
#include "support/TestSupport.h"

#include <QtTest>

using Step = RecordingSpreadsheet::Step;
using Steps = QList<Step>;
Q_DECLARE_METATYPE(Steps)

namespace {

const QString cannotStart = QStringLiteral("Невозможно открыть Microsoft Excel.");
const QString cannotOpen = QStringLiteral("Ошибка открытия файла Microsoft Excel.");
const QString sheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
const QString cellCaption = QStringLiteral("Ошибка Microsoft Excel");

QStringList captions(const MessageRecorder& m) {
    QStringList out;
    for (const auto& box : m.shown)
        out << box.caption;
    return out;
}

// Every box of the helper is a stop box with a single OK.
void verifyStopBoxes(const MessageRecorder& m) {
    for (const auto& box : m.shown) {
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

} // namespace

class TestExportHelper : public QObject {
    Q_OBJECT

private slots:
    void openResults_data();
    void openResults();
    void failedStartKeepsPreviousReference();
    void secondOpenAddsToTheSameApplication();
    void referencesAreSeparate();
    void putCellFailures_data();
    void putCellFailures();
    void emptyTextMakesNoCall_data();
    void emptyTextMakesNoCall();
    void writesCell_data();
    void writesCell();
    void setVisibleBeforeOpenDoesNothing();
    void setVisibleShowsAndHides();
    void setVisibleFailureReachesTheCaller();
};

void TestExportHelper::openResults_data() {
    QTest::addColumn<bool>("running");
    QTest::addColumn<Steps>("failing");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("new application, new workbook")
        << false << Steps{} << QString() << 1 << QStringList{"attach", "create", "add"} << QStringList{};
    QTest::newRow("running application gets the workbook")
        << true << Steps{} << QString() << 1 << QStringList{"attach", "add"} << QStringList{};
    QTest::newRow("file opened") << false << Steps{} << QStringLiteral("/tmp/цены.xlsx") << 1
                                 << QStringList{"attach", "create", "open:/tmp/цены.xlsx"} << QStringList{};
    QTest::newRow("no spreadsheet at all: both boxes")
        << false << Steps{Step::Attach, Step::Create} << QString() << -1 << QStringList{"attach", "create"}
        << QStringList{cannotStart, cannotOpen};
    QTest::newRow("workbook cannot be added")
        << false << Steps{Step::AddWorkbook} << QString() << -1 << QStringList{"attach", "create", "add"}
        << QStringList{cannotOpen};
    QTest::newRow("file cannot be opened")
        << true << Steps{Step::OpenWorkbook} << QStringLiteral("a.xlsx") << -1
        << QStringList{"attach", "open:a.xlsx"} << QStringList{cannotOpen};
}

void TestExportHelper::openResults() {
    QFETCH(bool, running);
    QFETCH(Steps, failing);
    QFETCH(QString, fileName);
    QFETCH(int, result);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, texts);

    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    rec.running = running;
    rec.failing = QSet<Step>(failing.cbegin(), failing.cend());

    QCOMPARE(ExcelOpen(fileName), result);
    QCOMPARE(rec.calls, calls);
    QCOMPARE(boxes.texts(), texts);
    for (const auto& caption : captions(boxes))
        QCOMPARE(caption, QStringLiteral("Ошибка"));
    verifyStopBoxes(boxes);
    // The reference is replaced whenever an application could be had, whatever the workbook step did.
    QCOMPARE(plainExcelReference().isEmpty(), rec.failing.contains(Step::Create) && !running);
}

void TestExportHelper::failedStartKeepsPreviousReference() {
    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    QCOMPARE(ExcelOpen(QString()), 1);
    const auto first = plainExcelReference().application;

    rec.failing = {Step::Attach, Step::Create};
    ExcelOpen(QString());
    QCOMPARE(boxes.texts().value(0), cannotStart);
    QCOMPARE(plainExcelReference().application, first);
}

void TestExportHelper::secondOpenAddsToTheSameApplication() {
    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    QCOMPARE(ExcelOpen(QString()), 1);
    QCOMPARE(ExcelPutCell(1, 1, 1, QStringLiteral("первая")), 1);
    const auto first = plainExcelReference().application;
    rec.calls.clear();

    QCOMPARE(ExcelOpen(QString()), 1);
    QCOMPARE(rec.calls, (QStringList{"attach", "add"}));
    QCOMPARE(rec.applicationsCreated, 1);
    QCOMPARE(rec.workbooks, 2);
    QCOMPARE(plainExcelReference().application, first);
    // The new workbook is the active one: its sheet is empty.
    QVERIFY(!rec.cell(1, 1, 1));
    QVERIFY(boxes.shown.isEmpty());
}

void TestExportHelper::referencesAreSeparate() {
    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    ExcelReference own;

    QCOMPARE(ExcelOpen(QString(), own), 1);
    QVERIFY(plainExcelReference().isEmpty());
    QVERIFY(hoursExcelReference().isEmpty());
    QCOMPARE(ExcelPutCell(1, 2, 3, QStringLiteral("x"), false, false, false, own), 1);
    // The plain form's reference was never set: its write cannot find a sheet.
    QCOMPARE(ExcelPutCell(1, 2, 3, QStringLiteral("y")), -1);
    QCOMPARE(captions(boxes), QStringList{sheetCaption});

    QCOMPARE(HoursExcel::ExcelOpen(QString()), 1);
    QVERIFY(!hoursExcelReference().isEmpty());
    QVERIFY(plainExcelReference().isEmpty());

    // Releasing a reference is no call to the application: nothing is closed.
    const int callsBefore = rec.calls.size();
    own.release();
    QVERIFY(own.isEmpty());
    QCOMPARE(rec.calls.size(), callsBefore);
    QCOMPARE(rec.application(), hoursExcelReference().application);
}

void TestExportHelper::putCellFailures_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("formatted");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<Steps>("failing");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");

    const QString c3r2 = QStringLiteral("Ошибка при записи: лист 1, столбец 3, строка 2");
    QTest::newRow("sheet 7 of three") << true << false << 7 << 1 << 1 << Steps{} << sheetCaption
                                      << QStringLiteral("Ошибка при записи: лист 7, столбец 1, строка 1");
    QTest::newRow("sheet 0") << true << true << 0 << 1 << 1 << Steps{} << sheetCaption
                             << QStringLiteral("Ошибка при записи: лист 0, столбец 1, строка 1");
    QTest::newRow("before any open") << false << false << 1 << 3 << 2 << Steps{} << sheetCaption << c3r2;
    QTest::newRow("sheet lookup fails")
        << true << true << 1 << 3 << 2 << Steps{Step::Worksheet} << sheetCaption << c3r2;
    QTest::newRow("plain: cell") << true << false << 1 << 3 << 2 << Steps{Step::Cell} << cellCaption << c3r2;
    QTest::newRow("plain: value") << true << false << 1 << 3 << 2 << Steps{Step::Value} << cellCaption
                                  << c3r2;
    QTest::newRow("cell") << true << true << 1 << 3 << 2 << Steps{Step::Cell} << cellCaption << c3r2;
    QTest::newRow("text format") << true << true << 1 << 3 << 2 << Steps{Step::NumberFormat} << cellCaption
                                 << c3r2;
    QTest::newRow("value") << true << true << 1 << 3 << 2 << Steps{Step::Value} << cellCaption << c3r2;
    QTest::newRow("autofit") << true << true << 1 << 3 << 2 << Steps{Step::AutoFit} << cellCaption << c3r2;
    QTest::newRow("bold") << true << true << 1 << 3 << 2 << Steps{Step::Bold} << cellCaption << c3r2;
    QTest::newRow("large numbers") << true << true << 12 << 16385 << 1048577 << Steps{} << sheetCaption
                                   << QStringLiteral(
                                          "Ошибка при записи: лист 12, столбец 16385, строка 1048577");
}

void TestExportHelper::putCellFailures() {
    QFETCH(bool, open);
    QFETCH(bool, formatted);
    QFETCH(int, sheet);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(Steps, failing);
    QFETCH(QString, caption);
    QFETCH(QString, text);

    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    ExcelReference ref;
    if (open)
        QCOMPARE(formatted ? ExcelOpen(QString(), ref) : ExcelOpen(QString()), 1);
    rec.failing = QSet<Step>(failing.cbegin(), failing.cend());

    const QString value = QStringLiteral("0012");
    const int result = formatted ? ExcelPutCell(sheet, column, row, value, true, true, true, ref)
                                 : ExcelPutCell(sheet, column, row, value, true);
    // Without an open the plain form's module reference is empty, as at program start.
    QCOMPARE(result, -1);
    QCOMPARE(boxes.texts(), QStringList{text});
    QCOMPARE(captions(boxes), QStringList{caption});
    verifyStopBoxes(boxes);
}

void TestExportHelper::emptyTextMakesNoCall_data() {
    QTest::addColumn<bool>("formatted");
    QTest::addColumn<int>("sheet");
    QTest::newRow("plain, sheet 1") << false << 1;
    QTest::newRow("plain, sheet 7") << false << 7;
    QTest::newRow("formatted, sheet 1") << true << 1;
    QTest::newRow("formatted, sheet 7") << true << 7;
}

void TestExportHelper::emptyTextMakesNoCall() {
    QFETCH(bool, formatted);
    QFETCH(int, sheet);

    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    QCOMPARE(HoursExcel::ExcelOpen(QString()), 1);
    QCOMPARE(ExcelOpen(QString()), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 1, 1, QStringLiteral("жирный"), false, false, true), 1);
    rec.calls.clear();

    const int result = formatted ? HoursExcel::ExcelPutCell(sheet, 1, 1, QString(), true, true, false)
                                 : ExcelPutCell(sheet, 1, 1, QString(), true);
    QCOMPARE(result, 1);
    QVERIFY(rec.calls.isEmpty());
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(rec.cell(1, 1, 1)->value, QStringLiteral("жирный"));
    QCOMPARE(rec.cell(1, 1, 1)->bold, std::optional<bool>(true));
}

void TestExportHelper::writesCell_data() {
    QTest::addColumn<bool>("formatted");
    QTest::addColumn<bool>("textFormat");
    QTest::addColumn<bool>("autofit");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QStringList>("calls");

    // Sheet 1, column 3, row 2 is cell C2: the spreadsheet is asked for row 2, column 3.
    QTest::newRow("plain") << false << false << false << false
                           << QStringList{"sheet:1", "cell:2,3", "value:007"};
    QTest::newRow("plain, text format")
        << false << true << false << false << QStringList{"sheet:1", "cell:2,3", "format:@", "value:007"};
    QTest::newRow("formatted, all flags")
        << true << true << true << true
        << QStringList{"sheet:1", "cell:2,3", "format:@", "value:007", "autofit:3", "bold:true"};
    QTest::newRow("formatted, no flags: bold cleared")
        << true << false << false << false << QStringList{"sheet:1", "cell:2,3", "value:007", "bold:false"};
    QTest::newRow("formatted, autofit only")
        << true << false << true << false
        << QStringList{"sheet:1", "cell:2,3", "value:007", "autofit:3", "bold:false"};
}

void TestExportHelper::writesCell() {
    QFETCH(bool, formatted);
    QFETCH(bool, textFormat);
    QFETCH(bool, autofit);
    QFETCH(bool, bold);
    QFETCH(QStringList, calls);

    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    QCOMPARE(ExcelOpen(QString()), 1);
    QCOMPARE(HoursExcel::ExcelOpen(QString()), 1);
    rec.calls.clear();

    const QString text = QStringLiteral("007");
    const int result = formatted ? HoursExcel::ExcelPutCell(1, 3, 2, text, textFormat, autofit, bold)
                                 : ExcelPutCell(1, 3, 2, text, textFormat);
    QCOMPARE(result, 1);
    QCOMPARE(rec.calls, calls);
    QVERIFY(boxes.shown.isEmpty());
    const auto* cell = rec.cell(1, 3, 2);
    QVERIFY(cell);
    QCOMPARE(cell->value, text);
    QCOMPARE(cell->numberFormat, textFormat ? QStringLiteral("@") : QString());
    QCOMPARE(cell->bold, formatted ? std::optional<bool>(bold) : std::nullopt);
    QCOMPARE(rec.autofitted.contains({1, 3}), autofit);
}

void TestExportHelper::setVisibleBeforeOpenDoesNothing() {
    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    rec.running = true;
    ExcelReference own;
    QCOMPARE(ExcelSetVisible(true), 1);
    QCOMPARE(HoursExcel::ExcelSetVisible(false), 1);
    QCOMPARE(ExcelSetVisible(true, own), 1);
    QVERIFY(rec.calls.isEmpty());
    QVERIFY(boxes.shown.isEmpty());
}

void TestExportHelper::setVisibleShowsAndHides() {
    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    ExcelReference own;
    QCOMPARE(ExcelOpen(QString(), own), 1);
    rec.calls.clear();
    QCOMPARE(ExcelSetVisible(false, own), 1);
    QCOMPARE(ExcelPutCell(1, 1, 1, QStringLiteral("1"), false, true, true, own), 1);
    QCOMPARE(ExcelSetVisible(true, own), 1);
    QCOMPARE(rec.calls.first(), QStringLiteral("visible:false"));
    QCOMPARE(rec.calls.last(), QStringLiteral("visible:true"));
    QVERIFY(rec.visible);
}

void TestExportHelper::setVisibleFailureReachesTheCaller() {
    MessageRecorder boxes;
    RecordingSpreadsheet rec;
    QCOMPARE(ExcelOpen(QString()), 1);
    rec.failing = {Step::Visible};
    QString caught;
    try {
        ExcelSetVisible(true);
    } catch (const std::exception& e) {
        caught = QString::fromUtf8(e.what());
    }
    QVERIFY2(caught.contains(QStringLiteral("visible:true")), qPrintable(caught));
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_MAIN(TestExportHelper)
#include "test_export_helper.moc"
