// The default backend: numbers as the workstation's locale reads them, the limits of a sheet,
// and a real .xlsx file written through the export operations and read back from its XML.
#include "export/ExcelHelper.h"
#include "export/InProcessSpreadsheet.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace spreadsheet;

namespace {

// The parts of a saved workbook the tests look at, read from its XML.
struct SavedSheet {
    struct Cell {
        QString type;  // "s" for a shared string, empty for a number
        QString value; // the text itself for strings
        int style = 0;
    };
    QHash<QString, Cell> cells; // by address, "A1"
    QHash<int, double> widths;  // by column from 1
    QList<int> boldStyles;      // cell styles with a bold font
    QList<int> textStyles;      // cell styles in the text format "@" (built-in format 49)
};

QByteArray unzip(const QString& file, const QString& member) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, member});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

SavedSheet readSheet(const QString& file) {
    SavedSheet out;
    QStringList shared;
    QXmlStreamReader strings(unzip(file, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == u"si")
            shared << QString();
        else if (strings.isStartElement() && strings.name() == u"t" && !shared.isEmpty())
            shared.last() += strings.readElementText();
    }

    QList<bool> boldFonts;
    QXmlStreamReader styles(unzip(file, QStringLiteral("xl/styles.xml")));
    bool inFonts = false, inXfs = false;
    int xf = 0;
    while (!styles.atEnd()) {
        styles.readNext();
        const auto name = styles.name();
        if (styles.isStartElement()) {
            if (name == u"fonts")
                inFonts = true;
            else if (name == u"cellXfs")
                inXfs = true;
            else if (inFonts && name == u"font")
                boldFonts << false;
            else if (inFonts && name == u"b")
                boldFonts.last() = true;
            else if (inXfs && name == u"xf") {
                const auto a = styles.attributes();
                if (boldFonts.value(a.value(QLatin1String("fontId")).toInt()))
                    out.boldStyles << xf;
                if (a.value(QLatin1String("numFmtId")).toInt() == 49)
                    out.textStyles << xf;
                ++xf;
            }
        } else if (styles.isEndElement()) {
            if (name == u"fonts")
                inFonts = false;
            else if (name == u"cellXfs")
                inXfs = false;
        }
    }

    QXmlStreamReader sheet(unzip(file, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString address;
    while (!sheet.atEnd()) {
        sheet.readNext();
        if (!sheet.isStartElement())
            continue;
        const auto a = sheet.attributes();
        if (sheet.name() == u"col") {
            for (int c = a.value(QLatin1String("min")).toInt(); c <= a.value(QLatin1String("max")).toInt();
                 ++c)
                out.widths[c] = a.value(QLatin1String("width")).toDouble();
        } else if (sheet.name() == u"c") {
            address = a.value(QLatin1String("r")).toString();
            out.cells[address] = {a.value(QLatin1String("t")).toString(), QString(),
                                  a.value(QLatin1String("s")).toInt()};
        } else if (sheet.name() == u"f") {
            out.cells[address].type = QStringLiteral("formula");
        } else if (sheet.name() == u"v") {
            auto& c = out.cells[address];
            const QString v = sheet.readElementText();
            c.value = c.type == u"s" ? shared.value(v.toInt()) : v;
        }
    }
    return out;
}

} // namespace

class TestExportXlsx : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readsAsNumber_data();
    void readsAsNumber();
    void savedWorkbookReadsBack();
    void secondExportAddsAWorkbookToTheSameApplication();
    void unopenedWorkbookNamesItsFile();
    void refusals_data();
    void refusals();
    void saveFailureIsAnError();

private:
    QStringList opened;
    bool openerWorks = true;
};

void TestExportXlsx::init() {
    releaseExcelReferences();
    opened.clear();
    openerWorks = true;
    inprocess::setWorkbookOpener([this](const QString& path) {
        opened << path;
        return openerWorks;
    });
}

void TestExportXlsx::cleanup() {
    // Removing the run's folder too leaves nothing behind; the next save makes it again.
    for (const auto& path : std::as_const(opened)) {
        QFile::remove(path);
        QDir().rmdir(QFileInfo(path).absolutePath());
    }
    inprocess::setWorkbookOpener({});
    QLocale::setDefault(QLocale::system());
}

void TestExportXlsx::readsAsNumber_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<double>("value");

    QTest::newRow("ru decimal comma") << "ru_RU"
                                      << "12,5" << true << 12.5;
    QTest::newRow("ru negative") << "ru_RU"
                                 << "-3,25" << true << -3.25;
    QTest::newRow("ru point is text") << "ru_RU"
                                      << "12.5" << false << 0.0;
    QTest::newRow("C decimal point") << "C"
                                     << "12.5" << true << 12.5;
    QTest::newRow("C comma is text") << "C"
                                     << "12,5" << false << 0.0;
    QTest::newRow("leading zeros as a spreadsheet reads them") << "ru_RU"
                                                               << "007" << true << 7.0;
    QTest::newRow("exponent") << "C"
                              << "1.5e3" << true << 1500.0;
    QTest::newRow("15 digits") << "C"
                               << "123456789012345" << true << 123456789012345.0;
    QTest::newRow("16 digits would lose one") << "C"
                                              << "1234567890123456" << false << 0.0;
    QTest::newRow("small fraction") << "ru_RU"
                                    << "0,000000000000000001" << true << 1e-18;
    QTest::newRow("trailing fraction zeros") << "C"
                                             << "12345678901234.5000000" << true << 12345678901234.5;
    QTest::newRow("blank around") << "C"
                                  << " 12" << false << 0.0;
    QTest::newRow("word") << "ru_RU"
                          << "Итого" << false << 0.0;
    QTest::newRow("mark") << "ru_RU"
                          << "A-12" << false << 0.0;
    QTest::newRow("infinity") << "C"
                              << "inf" << false << 0.0;
    QTest::newRow("not a number") << "C"
                                  << "nan" << false << 0.0;
    QTest::newRow("empty") << "C"
                           << "" << false << 0.0;
}

void TestExportXlsx::readsAsNumber() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));
    double v = 0;
    QCOMPARE(inprocess::readsAsNumber(text, &v), number);
    if (number)
        QCOMPARE(v, value);
}

void TestExportXlsx::savedWorkbookReadsBack() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    MessageRecorder boxes;
    QCOMPARE(HoursExcel::ExcelOpen(QString()), 1);
    QCOMPARE(HoursExcel::ExcelSetVisible(false), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 1, 1, QStringLiteral("Март 2024"), true, true, true), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 1, 3, QStringLiteral("007"), true, true, false), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 2, 3, QStringLiteral("12,5"), false, true, false), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 3, 3, QStringLiteral("=1+2"), false, false, false), 1);
    // Bold first, then cleared: the cell ends not bold.
    QCOMPARE(HoursExcel::ExcelPutCell(1, 4, 3, QStringLiteral("8"), false, false, true), 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 4, 3, QStringLiteral("8"), false, false, false), 1);
    QCOMPARE(ExcelSetVisible(true), 1); // another reference: shows nothing
    QVERIFY(opened.isEmpty());
    QCOMPARE(HoursExcel::ExcelSetVisible(true), 1);
    QVERIFY(boxes.shown.isEmpty());

    QCOMPARE(opened.size(), 1);
    const QString file = opened.first();
    QVERIFY2(QFileInfo(file).fileName().endsWith(QStringLiteral(".xlsx")), qPrintable(file));
    // Saved in the documents folder under what it holds and when.
    QCOMPARE(QFileInfo(file).absolutePath(),
             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QVERIFY2(QFileInfo(file).fileName().startsWith(QStringLiteral("Выгрузка 20")), qPrintable(file));
    const SavedSheet s = readSheet(file);

    QCOMPARE(s.cells.value("A1").type, QStringLiteral("s"));
    QCOMPARE(s.cells.value("A1").value, QStringLiteral("Март 2024"));
    QVERIFY(s.boldStyles.contains(s.cells.value("A1").style));
    QVERIFY(s.textStyles.contains(s.cells.value("A1").style));

    QCOMPARE(s.cells.value("A3").type, QStringLiteral("s"));
    QCOMPARE(s.cells.value("A3").value, QStringLiteral("007"));
    QVERIFY(s.textStyles.contains(s.cells.value("A3").style));
    QVERIFY(!s.boldStyles.contains(s.cells.value("A3").style));

    // A number in the workstation's locale is stored as a number.
    QCOMPARE(s.cells.value("B3").type, QString());
    QCOMPARE(s.cells.value("B3").value, QStringLiteral("12.5"));
    // A text that looks like a formula stays a text.
    QCOMPARE(s.cells.value("C3").type, QStringLiteral("s"));
    QCOMPARE(s.cells.value("C3").value, QStringLiteral("=1+2"));
    QCOMPARE(s.cells.value("D3").value, QStringLiteral("8"));
    QVERIFY(!s.boldStyles.contains(s.cells.value("D3").style));

    // Autofit: column A fits "Фамилия И.О." (12 characters), B fits "12,5"; C and D were never fitted.
    QVERIFY2(s.widths.value(1) > 12 && s.widths.value(1) < 16,
             qPrintable(QString::number(s.widths.value(1))));
    QVERIFY2(s.widths.value(2) > 4 && s.widths.value(2) < 7, qPrintable(QString::number(s.widths.value(2))));
    QVERIFY(!s.widths.contains(3));

    // The saved workbook has the three sheets of a new workbook.
    const QByteArray book = unzip(file, QStringLiteral("xl/workbook.xml"));
    QCOMPARE(book.count("<sheet "), 3);
    QVERIFY(book.contains("Лист1"));

    // Shown again unchanged, the same file is opened again without being written.
    const QDateTime written = QFileInfo(file).lastModified();
    QTest::qWait(20);
    QCOMPARE(HoursExcel::ExcelSetVisible(true), 1);
    QCOMPARE(opened, QStringList({file, file}));
    QCOMPARE(QFileInfo(file).lastModified(), written);
}

void TestExportXlsx::secondExportAddsAWorkbookToTheSameApplication() {
    MessageRecorder boxes;
    QCOMPARE(ExcelOpen(QString()), 1);
    const auto app = inprocess::runningApplication();
    QVERIFY(app);
    const int before = app->workbookCount();
    QCOMPARE(ExcelPutCell(1, 1, 1, QStringLiteral("первая")), 1);
    QCOMPARE(ExcelSetVisible(true), 1);

    QCOMPARE(HoursExcel::ExcelOpen(QString()), 1);
    QCOMPARE(inprocess::runningApplication(), app);
    QCOMPARE(hoursExcelReference().application, plainExcelReference().application);
    QCOMPARE(app->workbookCount(), before + 1);
    QCOMPARE(HoursExcel::ExcelPutCell(1, 1, 1, QStringLiteral("вторая"), false, false, false), 1);
    QCOMPARE(HoursExcel::ExcelSetVisible(true), 1);

    QCOMPARE(opened.size(), 2);
    QVERIFY(opened[0] != opened[1]);
    QCOMPARE(readSheet(opened[0]).cells.value("A1").value, QStringLiteral("первая"));
    QCOMPARE(readSheet(opened[1]).cells.value("A1").value, QStringLiteral("вторая"));
    QVERIFY(boxes.shown.isEmpty());
}

void TestExportXlsx::unopenedWorkbookNamesItsFile() {
    MessageRecorder boxes;
    openerWorks = false;
    QCOMPARE(ExcelOpen(QString()), 1);
    QCOMPARE(ExcelPutCell(1, 1, 1, QStringLiteral("Цена")), 1);
    QCOMPARE(ExcelSetVisible(true), 1);
    QCOMPARE(opened.size(), 1);
    QVERIFY(QFile::exists(opened.first()));
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY2(boxes.shown.first().text.contains(QDir::toNativeSeparators(opened.first())),
             qPrintable(boxes.shown.first().text));
}

void TestExportXlsx::refusals_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");

    const QString sheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
    const QString cellCaption = QStringLiteral("Ошибка Microsoft Excel");
    QTest::newRow("a saved file cannot be read") << "/tmp/книга.xlsx" << 1 << 1 << 1 << "x" << QString();
    QTest::newRow("sheet 4 of three") << QString() << 4 << 1 << 1 << "x" << sheetCaption;
    QTest::newRow("row 0") << QString() << 1 << 1 << 0 << "x" << cellCaption;
    QTest::newRow("past the last column") << QString() << 1 << 16385 << 1 << "x" << cellCaption;
    QTest::newRow("past the last row") << QString() << 1 << 1 << 1048577 << "x" << cellCaption;
    QTest::newRow("text longer than a cell holds")
        << QString() << 1 << 1 << 1 << QString(32768, u'я') << cellCaption;
}

void TestExportXlsx::refusals() {
    QFETCH(QString, fileName);
    QFETCH(int, sheet);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, caption);

    MessageRecorder boxes;
    if (!fileName.isEmpty()) {
        QCOMPARE(ExcelOpen(fileName), -1);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Ошибка открытия файла Microsoft Excel.")});
        return;
    }
    QCOMPARE(ExcelOpen(QString()), 1);
    QCOMPARE(ExcelPutCell(sheet, column, row, text, false), -1);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().caption, caption);
    // The workbook stays good: it still saves.
    QCOMPARE(ExcelPutCell(1, 1, 1, QStringLiteral("после ошибки")), 1);
    QCOMPARE(ExcelSetVisible(true), 1);
    QCOMPARE(readSheet(opened.value(0)).cells.value("A1").value, QStringLiteral("после ошибки"));
}

void TestExportXlsx::saveFailureIsAnError() {
    inprocess::WorkbookData book;
    book.title = QStringLiteral("Книга");
    book.sheets.push_back({QStringLiteral("Лист1"), {}, {}, {}});
    const QString path = QDir::temp()
                             .filePath(QStringLiteral("нет-такой-папки-%1/книга.xlsx"))
                             .arg(QCoreApplication::applicationPid());
    QVERIFY_THROWS_EXCEPTION(spreadsheet::Error, inprocess::saveXlsx(book, path));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestExportXlsx)
#include "test_export_xlsx.moc"
