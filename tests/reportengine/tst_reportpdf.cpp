// Writing reports into PDF files without any window, as the command-line mode on a server does:
// this test program runs with a QGuiApplication only.
#include "ReportPainter.h"
#include "ReportTestData.h"

#include <QGuiApplication>
#include <QProcess>
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

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TestReportPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportpdf.moc"
