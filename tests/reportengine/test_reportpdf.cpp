// Writing reports into PDF files without any window, as the command-line mode on a server does:
// this test program runs with a QGuiApplication only.
#include "ReportTestData.h"
#include "reportengine/ReportPageSource.h"
#include "reportengine/ReportPainter.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

using namespace reportengine;

namespace {

// The tests print with fonts loaded from their own files, so that they do not depend on what the
// machine's font configuration gives for "Arial". DejaVu Sans (TrueType outlines) comes with
// fonts-dejavu, Nimbus Sans (an OpenType font with CFF outlines) with fonts-urw-base35.
const QString kTrueTypeRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const QString kTrueTypeBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const QString kCffRegular = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
const QString kCffBold = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf";
// Nimbus Roman as Type 1 files, and the same faces as OpenType files.
const QString kType1Regular = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
const QString kType1Bold = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Bold.t1";
const QString kType1TwinRegular = "/usr/share/fonts/opentype/urw-base35/NimbusRoman-Regular.otf";
const QString kType1TwinBold = "/usr/share/fonts/opentype/urw-base35/NimbusRoman-Bold.otf";

// Registers the regular and bold faces of a family from their files; the family's name, or an
// empty text when a file cannot be loaded.
QString loadFamily(const QString& regularFile, const QString& boldFile) {
    const int regular = QFontDatabase::addApplicationFont(regularFile);
    const int bold = QFontDatabase::addApplicationFont(boldFile);
    if (regular < 0 || bold < 0)
        return {};
    return QFontDatabase::applicationFontFamilies(regular).value(0);
}

QString pdfText(const QString& fileName, int page = 0) {
    QStringList args = {"-layout"};
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << fileName << "-";
    QProcess p;
    p.start("pdftotext", args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return "pdftotext failed: " + QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReportPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void writesReadableCyrillicPdf();
    void unwritableTargetIsReported();
    void nonRegularTargetsAreLeftAlone_data();
    void nonRegularTargetsAreLeftAlone();
    void wrapsAndCutsTextsAsOnScreen();
    void characterMissingFromTheFont();
    void pagesLeaveMemoryOnceWritten_data();
    void pagesLeaveMemoryOnceWritten();
    void embedsFontOutlines_data();
    void embedsFontOutlines();

private:
    QString family; // the font every other test prints with
};

void TestReportPdf::initTestCase() {
    family = loadFamily(kTrueTypeRegular, kTrueTypeBold);
    QVERIFY2(!family.isEmpty(), qPrintable("cannot load " + kTrueTypeRegular));
}

void TestReportPdf::writesReadableCyrillicPdf() {
    QTemporaryDir dir;
    const QString file = dir.filePath("отчет.pdf");
    const MemoryDataSource rows = testdata::workerRows(5, 12);
    ReportDefinition report = testdata::workerReport();
    report.font.family = family;
    report.setText("QRLabel1", "Отчет по рабочим с 01.01.2026 по 01.02.2026");
    QString error;
    QVERIFY2(writeReportPdf(report, rows, file, &error), qPrintable(error));

    const QString first = pdfText(file, 1);
    QVERIFY2(first.contains("Отчет по рабочим с 01.01.2026 по 01.02.2026"), qPrintable(first));
    QVERIFY2(first.contains("Иванов Иван Иванович"), qPrintable(first));
    QVERIFY(first.contains("Готовая продукция"));
    QVERIFY(first.contains("Заготовки"));
    QVERIFY(first.contains("Сумма без Р/К"));
    // 12 rows per nomenclature: kolvo 10..21 (186 in all), summa 100.5, 110.5, ..., 210.5 (1866 in all);
    // two nomenclatures per worker.
    QVERIFY2(first.contains(QRegularExpression("Хоз.р.: 7 +186 +1866.000 +1555.000")), qPrintable(first));
    QVERIFY2(first.contains(QRegularExpression("Итого по Иванов Иван Иванович: +3732.00 +3110.00")),
             qPrintable(first));
    QVERIFY(first.contains(QRegularExpression("Страница 1 из \\d")));

    const QString all = pdfText(file);
    QVERIFY2(all.contains(QRegularExpression("Итого: +18660.00 +15550.00")), qPrintable(all));
    QVERIFY(all.contains("Смирнов Олег Павлович"));
}

void TestReportPdf::unwritableTargetIsReported() {
    QTemporaryDir dir;
    const MemoryDataSource rows = testdata::workerRows(1, 1);
    ReportDefinition report = testdata::workerReport();
    report.font.family = family;
    for (const QString& target : {dir.path(), dir.filePath("нет/папки.pdf")}) {
        QString error;
        QVERIFY(!writeReportPdf(report, rows, target, &error));
        QVERIFY2(error.contains(target), qPrintable(error));
    }
}

void TestReportPdf::nonRegularTargetsAreLeftAlone_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("device") << "/dev/null";
    QTest::newRow("folder") << QDir::tempPath();
    QTest::newRow("pipe") << "fifo";
}

// A device, a folder or a pipe at the path is refused and stays what it was.
void TestReportPdf::nonRegularTargetsAreLeftAlone() {
    QFETCH(QString, target);
    QTemporaryDir dir;
    if (target == "fifo") {
        target = dir.filePath("pipe.pdf");
        QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    }
    struct stat before {};
    QCOMPARE(stat(QFile::encodeName(target).constData(), &before), 0);
    ReportDefinition report = testdata::workerReport();
    report.font.family = family;
    QString error;
    QVERIFY(!writeReportPdf(report, testdata::workerRows(1, 1), target, &error));
    QVERIFY2(error.contains(target), qPrintable(error));
    struct stat after {};
    QCOMPARE(stat(QFile::encodeName(target).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
}

namespace {

// Renders a page as 72 dpi grey pixels; poppler's complaints about the file, if any, go to *messages.
QImage renderPage(const QString& fileName, QString* messages) {
    QProcess p;
    p.start("pdftoppm", {"-r", "72", "-gray", "-f", "1", "-l", "1", fileName});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    *messages = QString::fromUtf8(p.readAllStandardError());
    QImage image;
    image.loadFromData(p.readAllStandardOutput(), "PGM");
    return image;
}

// Dark pixels in a rectangle given in millimetres from the sheet's corner.
int darkPixels(const QImage& page, const QRectF& mm) {
    const double px = 72 / 25.4;
    int dark = 0;
    for (int y = int(mm.top() * px); y < int(mm.bottom() * px) && y < page.height(); ++y)
        for (int x = int(mm.left() * px); x < int(mm.right() * px) && x < page.width(); ++x)
            dark += qGray(page.pixel(x, y)) < 128;
    return dark;
}

} // namespace

// Wrapped texts break into lines inside their box; a text wider than its box is cut at its edge,
// never printed over the neighbouring column.
void TestReportPdf::wrapsAndCutsTextsAsOnScreen() {
    ReportDefinition report;
    report.font.family = family;
    report.title = "Проверка (переносы) \\ скобки";
    ReportBand detail;
    detail.name = "detail";
    detail.heightMm = 5;
    ReportElement note = field("note", QRectF(0, 0, 40, 5));
    note.wordWrap = true;
    note.stretch = true;
    ReportElement code = field("code", QRectF(60, 0, 15, 5));
    code.font.bold = true;
    detail.elements = {note, code};
    report.detail = detail;
    const MemoryDataSource rows({"note", "code"},
                                {{"Первая строка примечания, которое никак не помещается в одну строку",
                                  "ОЧЕНЬ-ДЛИННЫЙ-КОД-ИЗДЕЛИЯ"}});
    QTemporaryDir dir;
    const QString file = dir.filePath("wrap.pdf");
    QString error;
    QVERIFY2(writeReportPdf(report, rows, file, &error), qPrintable(error));

    const QStringList lines = pdfText(file).split('\n', Qt::SkipEmptyParts);
    auto lineWith = [&](const QString& word) {
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].contains(word))
                return i;
        return -1;
    };
    QVERIFY2(lineWith("Первая") >= 0 && lineWith("строку") >= 0, qPrintable(lines.join('\n')));
    QVERIFY2(lineWith("строку") > lineWith("Первая"), qPrintable(lines.join('\n')));

    QString messages;
    const QImage page = renderPage(file, &messages);
    QVERIFY(!page.isNull());
    QVERIFY2(messages.isEmpty(), qPrintable(messages));
    // The code's box spans 70..85 mm of the sheet (10 mm margin): ink inside, none to its right.
    QVERIFY(darkPixels(page, QRectF(70, 10, 15, 5)) > 0);
    QCOMPARE(darkPixels(page, QRectF(85.5, 10, 40, 5)), 0);
    // The note wraps within 10..50 mm over several lines.
    QVERIFY(darkPixels(page, QRectF(10, 15, 40, 5)) > 0);
    QCOMPARE(darkPixels(page, QRectF(50.5, 10, 9, 20)), 0);
}

namespace {

QString pdfProducer(const QString& fileName) {
    QProcess p;
    p.start("pdfinfo", {fileName});
    p.waitForFinished(30000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpression producer("Producer: +(.*)");
    return producer.match(info).captured(1).trimmed();
}

} // namespace

// Our own writer embeds the report's font; a character that font lacks (here a Chinese one) would
// print as an empty box, so such a report goes through Qt's engine, which borrows it elsewhere.
void TestReportPdf::characterMissingFromTheFont() {
    QTemporaryDir dir;
    const MemoryDataSource rows = testdata::workerRows(1, 2);
    ReportDefinition report = testdata::workerReport();
    report.font.family = family;
    report.setText("QRLabel1", "Отчет");
    const QString plain = dir.filePath("plain.pdf"), foreign = dir.filePath("foreign.pdf");
    QVERIFY(writeReportPdf(report, rows, plain));
    report.setText("QRLabel1", "Отчет 漢");
    QVERIFY(writeReportPdf(report, rows, foreign));
    QCOMPARE(pdfProducer(plain), QString("tabel"));
    QVERIFY2(pdfProducer(foreign).contains("Qt"), qPrintable(pdfProducer(foreign)));
    QVERIFY(pdfText(foreign).contains("Иванов Иван Иванович"));
}

void TestReportPdf::pagesLeaveMemoryOnceWritten_data() {
    QTest::addColumn<QString>("lastName"); // the name of the last worker, on the report's last pages
    QTest::addColumn<QString>("producer");
    QTest::addColumn<int>("madeAgain");
    QTest::newRow("own writer") << "Смирнов Олег Павлович"
                                << "tabel" << 0;
    // A character the font lacks, pages after the first ones were written and released: the
    // report is made again for Qt's engine.
    QTest::newRow("character missing on a later page") << "Смирнов 漢"
                                                       << "Qt" << 1;
}

// Written with a way to make the report again, each page leaves the source once it is in the
// file; the file is the one written from all pages at once.
void TestReportPdf::pagesLeaveMemoryOnceWritten() {
    QFETCH(QString, lastName);
    QFETCH(QString, producer);
    QFETCH(int, madeAgain);
    const QStringList kFields = {"fio", "nom", "naimen", "kolvo", "summa", "f_sum7"};
    const MemoryDataSource base = testdata::workerRows(5, 12);
    MemoryDataSource all(kFields);
    for (int r = 0; r < base.rowCount(); ++r) {
        QVariantList values;
        for (const QString& f : kFields)
            values << base.value(r, f);
        if (r >= base.rowCount() - 24)
            values[0] = lastName;
        all.addRow(values);
    }
    ReportDefinition report = testdata::workerReport();
    report.font.family = family;
    report.pageFooter->elements[0].text = "'Стр. ' + STR(PAGE())"; // no page count: pages come as rows do
    auto feedOf = [&](MemoryDataSource& rows, int& next) {
        return std::make_unique<LayoutFeed>(report, rows, [&rows, &next, &all, kFields] {
            for (int k = 0; k < 5 && next < all.rowCount(); ++k) {
                QVariantList values;
                for (const QString& f : kFields)
                    values << all.value(next, f);
                rows.addRow(values);
                ++next;
            }
            return next < all.rowCount();
        });
    };
    QTemporaryDir dir;
    const QString whole = dir.filePath("whole.pdf"), streamed = dir.filePath("streamed.pdf");
    const ReportPages expected = layoutReport(report, all);
    QVERIFY(expected.pageCount() > 2);
    QVERIFY(writeReportPdf(expected, whole));

    MemoryDataSource rows(kFields), rowsAgain(kFields);
    int next = 0, nextAgain = 0, made = 0;
    std::unique_ptr<LayoutFeed> feed = feedOf(rows, next);
    QString error;
    QVERIFY2(writeReportPdf(*feed, streamed, &error,
                            [&]() -> std::unique_ptr<PageSource> {
                                ++made;
                                return feedOf(rowsAgain, nextAgain);
                            }),
             qPrintable(error));
    QCOMPARE(made, madeAgain);
    QVERIFY2(pdfProducer(streamed).contains(producer), qPrintable(pdfProducer(streamed)));
    QCOMPARE(pdfText(streamed), pdfText(whole));
    if (madeAgain == 0) {
        QCOMPARE(feed->pages().pageCount(), expected.pageCount());
        for (const ReportPage& page : feed->pages().pages)
            QVERIFY(page.items.empty());
    }
}

namespace {

// Renders the first page at 100 dpi in grey; a null image when poppler cannot, or complains.
QImage renderFine(const QString& fileName, QString* messages) {
    QProcess p;
    p.start("pdftoppm", {"-r", "100", "-gray", "-f", "1", "-l", "1", fileName});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    *messages += QString::fromUtf8(p.readAllStandardError());
    QImage image;
    image.loadFromData(p.readAllStandardOutput(), "PGM");
    return image;
}

// Dark pixels in each 4 mm strip of the page, from the top.
QList<int> inkByStrip(const QImage& page) {
    const int strip = qRound(4 * 100 / 25.4);
    QList<int> ink((page.height() + strip - 1) / strip, 0);
    for (int y = 0; y < page.height(); ++y) {
        const uchar* line = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            ink[y / strip] += line[x] < 128; // 8-bit grey image
    }
    return ink;
}

} // namespace

// The own writer embeds a report font whether its outlines are TrueType (.ttf) or PostScript (an
// OpenType .otf font with a CFF table): the page looks as when Qt's PDF engine prints it, and the
// text reads back. When Qt gives the face from a Type 1 file, which cannot be embedded as it is,
// the writer takes the same face from its OpenType file, if that is installed too.
void TestReportPdf::embedsFontOutlines_data() {
    QTest::addColumn<QStringList>("files");     // the regular and the bold face, for Qt
    QTest::addColumn<QStringList>("twinFiles"); // the same faces, installed but not loaded by Qt
    QTest::addColumn<QByteArray>("outlineTable");
    QTest::addColumn<QString>("pdfFontType");
    QTest::newRow("TrueType") << QStringList{kTrueTypeRegular, kTrueTypeBold} << QStringList()
                              << QByteArray("glyf") << "CID TrueType";
    QTest::newRow("CFF") << QStringList{kCffRegular, kCffBold} << QStringList() << QByteArray("CFF ")
                         << "CID Type 0C";
    QTest::newRow("Type 1, CFF installed")
        << QStringList{kType1Regular, kType1Bold} << QStringList{kType1TwinRegular, kType1TwinBold}
        << QByteArray() << "CID Type 0C";
}

void TestReportPdf::embedsFontOutlines() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, twinFiles);
    QFETCH(QByteArray, outlineTable);
    QFETCH(QString, pdfFontType);
    for (const QString& file : files + twinFiles)
        if (!QFile::exists(file))
            QSKIP(qPrintable(file + " is not installed (scripts/setup.sh installs it)"));
    for (const QString& file : twinFiles) // known to fontconfig, as an installed font is
        QVERIFY(FcConfigAppFontAddFile(
            nullptr, reinterpret_cast<const FcChar8*>(QFile::encodeName(file).constData())));
    const QString fontFamily = loadFamily(files[0], files[1]);
    QVERIFY(!fontFamily.isEmpty());
    for (bool bold : {false, true}) {
        QFont font(fontFamily);
        font.setBold(bold);
        const QRawFont face = QRawFont::fromFont(font);
        if (outlineTable.isEmpty()) // a Type 1 face: neither TrueType nor CFF outlines
            QVERIFY2(face.fontTable("glyf").isEmpty() && face.fontTable("CFF ").isEmpty(),
                     qPrintable(fontFamily + " comes from an OpenType file"));
        else
            QVERIFY2(!face.fontTable(outlineTable).isEmpty(),
                     qPrintable(fontFamily + " has no " + outlineTable + " table"));
    }

    QTemporaryDir dir;
    const QString own = dir.filePath("own.pdf"), qt = dir.filePath("qt.pdf");
    ReportDefinition report = testdata::workerReport();
    report.font.family = fontFamily;
    report.setText("QRLabel1", "Отчет по рабочим с 01.01.2026 по 01.02.2026 (Ёё, №, «», Àé)");
    const ReportPages pages = layoutReport(report, testdata::workerRows(5, 12));
    QVERIFY(writeReportPdf(pages, own));
    {
        QPdfWriter writer(qt);
        writer.setResolution(1200);
        QVERIFY(paintReport(pages, writer));
    }
    QCOMPARE(pdfProducer(own), QString("tabel"));

    QProcess fonts;
    fonts.start("pdffonts", {own});
    QVERIFY(fonts.waitForFinished(30000));
    const QStringList fontLines = QString::fromUtf8(fonts.readAllStandardOutput()).split('\n').mid(2);
    int embedded = 0;
    for (const QString& line : fontLines) {
        if (line.trimmed().isEmpty())
            continue;
        QVERIFY2(line.contains(pdfFontType) && line.contains(QRegularExpression(" yes +yes +yes ")),
                 qPrintable(line)); // embedded, a subset, with a character map
        ++embedded;
    }
    QCOMPARE(embedded, 2); // regular and bold

    const QString first = pdfText(own, 1);
    QVERIFY2(first.contains("Отчет по рабочим с 01.01.2026 по 01.02.2026 (Ёё, №, «», Àé)"),
             qPrintable(first));
    QVERIFY2(first.contains("Петрова Анна Сергеевна"), qPrintable(first));
    QVERIFY2(first.contains(QRegularExpression("Итого по Иванов Иван Иванович: +3732.00 +3110.00")),
             qPrintable(first));

    // Every glyph is drawn, with its own outline: strip by strip, the page holds as much ink as the
    // page Qt's engine writes.
    QString messages;
    const QImage ownPage = renderFine(own, &messages), qtPage = renderFine(qt, &messages);
    QVERIFY(!ownPage.isNull() && !qtPage.isNull());
    QVERIFY2(messages.isEmpty(), qPrintable(messages));
    QCOMPARE(ownPage.size(), qtPage.size());
    const QList<int> ownInk = inkByStrip(ownPage), qtInk = inkByStrip(qtPage);
    int total = 0;
    for (int i = 0; i < ownInk.size(); ++i) {
        QVERIFY2(
            qAbs(ownInk[i] - qtInk[i]) <= 40 + qtInk[i] / 10,
            qPrintable(
                QString("strip %1: %2 dark pixels, Qt's engine %3").arg(i).arg(ownInk[i]).arg(qtInk[i])));
        total += qtInk[i];
    }
    QVERIFY(total > 5000);
}

int main(int argc, char** argv) {
    // Only the fonts the tests load from their files are there: fontconfig reads a configuration
    // without font folders. The machine's own fonts (several of them may call themselves "Nimbus
    // Sans", in other formats) take no part.
    QTemporaryDir fontConfig;
    QFile conf(fontConfig.filePath("fonts.conf"));
    if (!conf.open(QIODevice::WriteOnly))
        return 1;
    conf.write(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n"
        "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n<cachedir>" +
        fontConfig.filePath("cache").toUtf8() + "</cachedir>\n</fontconfig>\n");
    conf.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(conf.fileName()));
    QGuiApplication app(argc, argv);
    TestReportPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_reportpdf.moc"
