// Writing reports into PDF files without any window, as the command-line mode on a server does:
// this test program runs with a QGuiApplication only.
#include "ReportTestData.h"
#include "reportengine/ReportPainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace reportengine;

namespace {

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
    void writesReadableCyrillicPdf();
    void unwritableTargetIsReported();
    void wrapsAndCutsTextsAsOnScreen();
    void characterMissingFromTheFont();
};

void TestReportPdf::writesReadableCyrillicPdf() {
    QTemporaryDir dir;
    const QString file = dir.filePath("отчет.pdf");
    const MemoryDataSource rows = testdata::workerRows(5, 12);
    ReportDefinition report = testdata::workerReport();
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
    for (const QString& target : {dir.path(), dir.filePath("нет/папки.pdf")}) {
        QString error;
        QVERIFY(!writeReportPdf(testdata::workerReport(), rows, target, &error));
        QVERIFY2(error.contains(target), qPrintable(error));
    }
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
    report.setText("QRLabel1", "Отчет");
    const QString plain = dir.filePath("plain.pdf"), foreign = dir.filePath("foreign.pdf");
    QVERIFY(writeReportPdf(report, rows, plain));
    report.setText("QRLabel1", "Отчет 漢");
    QVERIFY(writeReportPdf(report, rows, foreign));
    QCOMPARE(pdfProducer(plain), QString("tabel"));
    QVERIFY2(pdfProducer(foreign).contains("Qt"), qPrintable(pdfProducer(foreign)));
    QVERIFY(pdfText(foreign).contains("Иванов Иван Иванович"));
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TestReportPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_reportpdf.moc"
