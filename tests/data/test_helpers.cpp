// Pure helpers of the data layer: the connection string, number texts, quoting, the
// separator fix and the client-side row filter of a dataset.
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Format.h"
#include "data/JournalDay.h"
#include "data/RowFilter.h"
#include "support/TestSupport.h"

#include <QLocale>
#include <QTest>

class TestHelpers : public QObject {
    Q_OBJECT
private slots:
    void connectionString_data();
    void connectionString();
    void connectionSettings();
    void roundHalfEven_data();
    void roundHalfEven();
    void formatGeneral_data();
    void formatGeneral();
    void formatMoney_data();
    void formatMoney();
    void parseNumber_data();
    void parseNumber();
    void quoting();
    void separatorFix_data();
    void separatorFix();
    void piecePriceOfTheDay_data();
    void piecePriceOfTheDay();
    void rowFilter_data();
    void rowFilter();
    void rowFilterRefuses_data();
    void rowFilterRefuses();
};

static const QString kTail = QStringLiteral(
    ";PORT=5432;UID=sys;PWD=wemblox;SSLmode=allow;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;"
    "RowVersioning=0;ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
    "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
    "ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;"
    "UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");

void TestHelpers::connectionString_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no parameters") << QStringList{}
                                   << "DRIVER={PostgreSQL UNICODE};DATABASE=kor_erp;SERVER=localhost" + kTail;
    QTest::newRow("only the database: ignored")
        << QStringList{"shop"} << "DRIVER={PostgreSQL UNICODE};DATABASE=kor_erp;SERVER=localhost" + kTail;
    QTest::newRow("empty server: ignored")
        << QStringList{"shop", ""} << "DRIVER={PostgreSQL UNICODE};DATABASE=kor_erp;SERVER=localhost" + kTail;
    QTest::newRow("database and server")
        << QStringList{"shop", "10.0.0.5"}
        << "DRIVER={PostgreSQL UNICODE};DATABASE=shop;SERVER=10.0.0.5" + kTail;
    QTest::newRow("empty database and a server")
        << QStringList{"", "dbhost"} << "DRIVER={PostgreSQL UNICODE};DATABASE=;SERVER=dbhost" + kTail;
}

void TestHelpers::connectionString() {
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QCOMPARE(buildConnectionString(args), expected);
}

void TestHelpers::connectionSettings() {
    const ConnectionSettings s = parseConnectionString(buildConnectionString({"shop", "/tmp/sock"}));
    QCOMPARE(s.database, QString("shop"));
    QCOMPARE(s.server, QString("/tmp/sock"));
    QCOMPARE(s.port, 5432);
    QCOMPARE(s.user, QString("sys"));
    QCOMPARE(s.password, QString("wemblox"));
    QCOMPARE(s.sslMode, QString("allow"));
}

void TestHelpers::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("more decimals") << 12.34567 << "12.3457";
    QTest::newRow("half rounds to even, down") << 12.34565 << "12.3456";
    QTest::newRow("half rounds to even, up") << 12.34575 << "12.3458";
    QTest::newRow("binary noise is not a half") << 12.5 * 1.2 << "15";
    QTest::newRow("shift coefficient") << 3.3333 * 1.5 << "5";
    QTest::newRow("negative") << -0.00125 << "-0.0012";
    QTest::newRow("tiny") << 0.00004 << "0";
    QTest::newRow("big") << 123456789.123456 << "123456789.1235";
}

void TestHelpers::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(::formatGeneral(::roundHalfEven(value, 4)), expected);
}

void TestHelpers::formatGeneral_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("screen");
    QTest::newRow("whole") << 12.0 << "12"
                           << "12";
    QTest::newRow("fraction") << 12.3457 << "12.3457"
                              << "12,3457";
    QTest::newRow("noise") << 0.1 + 0.2 << "0.3"
                           << "0,3";
    QTest::newRow("zero") << 0.0 << "0"
                          << "0";
}

void TestHelpers::formatGeneral() {
    QFETCH(double, value);
    QFETCH(QString, sql);
    QFETCH(QString, screen);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QCOMPARE(::formatGeneral(value), sql);
    QCOMPARE(formatScreen(value), screen);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(formatScreen(value), sql);
}

void TestHelpers::formatMoney_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown"); // on a Russian workstation
    QTest::newRow("a trailing zero kept") << 15956.8 << "15956,80";
    QTest::newRow("a whole amount") << 125.0 << "125,00";
    QTest::newRow("a long fraction") << 478.733333333333 << "478,73";
    QTest::newRow("a half to even") << 0.125 << "0,12";
    QTest::newRow("nothing, not minus nothing") << -0.001 << "0,00";
    QTest::newRow("a negative amount") << -70.0 << "-70,00";
}

// Money on screen and in print: two decimals with the workstation's separator.
void TestHelpers::formatMoney() {
    QFETCH(double, value);
    QFETCH(QString, shown);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString text = ::formatMoney(value);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(text, shown);
}

void TestHelpers::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "12,5" << true << 12.5;
    QTest::newRow("point") << "12.5" << true << 12.5;
    QTest::newRow("blanks") << " 7 " << true << 7.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("comma and point") << "1,2.3" << false << 0.0;
    QTest::newRow("lone point") << "." << false << 0.0;
    QTest::newRow("letters") << "12a" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
}

void TestHelpers::parseNumber() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double v = 0;
    QCOMPARE(::parseNumber(text, &v), ok);
    if (ok)
        QCOMPARE(v, value);
}

void TestHelpers::quoting() {
    QCOMPARE(sqlQuote("Д'Артаньян"), QString("'Д''Артаньян'"));
    QCOMPARE(sqlQuote("'; drop table x; --"), QString("'''; drop table x; --'"));
    QCOMPARE(sqlQuote(""), QString("''"));
}

void TestHelpers::separatorFix_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comma to point") << "."
                                    << "12,5"
                                    << "12.5";
    QTest::newRow("point stays") << "."
                                 << "12.5"
                                 << "12.5";
    QTest::newRow("whole stays") << "."
                                 << "12"
                                 << "12";
    QTest::newRow("only the first comma") << "."
                                          << "1,2,3"
                                          << "1.2,3";
    QTest::newRow("point to comma") << ","
                                    << "12.5"
                                    << "12,5";
    QTest::newRow("before the first check") << ""
                                            << "12,5"
                                            << "125";
}

void TestHelpers::separatorFix() {
    QFETCH(QString, separator);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    Database dm;
    dm.decimalSeparator = separator;
    QCOMPARE(dm.separatorFix(text), expected);
}

void TestHelpers::piecePriceOfTheDay_data() {
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<double>("price");
    QTest::newRow("first shift") << 1 << false << 12.5;
    QTest::newRow("second shift") << 2 << false << 12.5;
    QTest::newRow("third shift") << 3 << false << 15.0;
    QTest::newRow("overtime") << 4 << false << 18.75;
    QTest::newRow("day off") << 1 << true << 25.0;
    QTest::newRow("day off, third shift") << 3 << true << 30.0;
    QTest::newRow("day off, overtime") << 4 << true << 37.5;
}

void TestHelpers::piecePriceOfTheDay() {
    QFETCH(int, shift);
    QFETCH(bool, dayOff);
    QFETCH(double, price);
    QCOMPARE(piecePrice(12.5, JournalDay{QDate(2026, 12, 8), shift, dayOff}), price);
}

void TestHelpers::rowFilter_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("accepted");
    const QVariant null = QVariant(QMetaType(QMetaType::QString));
    QTest::newRow("prefix") << "fio like 'Пет%'" << QVariant("Петров") << "fio" << true;
    QTest::newRow("prefix, case not mattering") << "fio like 'пет%'" << QVariant("ПЕТРОВ") << "fio" << true;
    QTest::newRow("prefix elsewhere") << "fio like 'Пет%'" << QVariant("Сидорпетов") << "fio" << false;
    QTest::newRow("inside") << "fio like '%ров%'" << QVariant("Петров") << "fio" << true;
    QTest::newRow("inside, missing") << "fio like '%ров%'" << QVariant("Иванов") << "fio" << false;
    QTest::newRow("one character") << "marka like 'A_1'" << QVariant("AB1") << "marka" << true;
    QTest::newRow("one character, two there") << "marka like 'A_1'" << QVariant("ABB1") << "marka" << false;
    QTest::newRow("whole text") << "marka like 'abc'" << QVariant("ABC") << "marka" << true;
    QTest::newRow("like, null, empty pattern") << "marka like '%'" << null << "marka" << true;
    QTest::newRow("like, null") << "marka like 'a%'" << null << "marka" << false;
    QTest::newRow("like, any word") << "FIO LIKE '%'" << QVariant("x") << "FIO" << true;
    QTest::newRow("number") << "o_id=42" << QVariant(42) << "o_id" << true;
    QTest::newRow("number, other") << "o_id=42" << QVariant(43) << "o_id" << false;
    QTest::newRow("number, spaces") << "  o_id = 42 " << QVariant(42) << "o_id" << true;
    QTest::newRow("number as decimal text") << "cena=12.5" << QVariant("12.50") << "cena" << true;
    QTest::newRow("number, comma") << "cena=12,5" << QVariant(12.5) << "cena" << true;
    QTest::newRow("kind 0") << "naimen=0" << QVariant(0) << "naimen" << true;
    QTest::newRow("kind 0, blank") << "naimen=0" << QVariant(1) << "naimen" << false;
    QTest::newRow("kind 0, null") << "naimen=0" << QVariant(QMetaType(QMetaType::Int)) << "naimen" << false;
    QTest::newRow("quoted text") << "marka='x'" << QVariant("x") << "marka" << true;
    QTest::newRow("quoted text, case matters") << "marka='x'" << QVariant("X") << "marka" << false;
    QTest::newRow("quoted quote") << "fio='O''Brien'" << QVariant("O'Brien") << "fio" << true;
    QTest::newRow("quoted number") << "o_id='42'" << QVariant(42) << "o_id" << true;
    QTest::newRow("text, not a number") << "marka=a1" << QVariant("a1") << "marka" << true;
    QTest::newRow("dotted name") << "smena.o_id=7" << QVariant(7) << "smena.o_id" << true;
}

void TestHelpers::rowFilter() {
    QFETCH(QString, condition);
    QFETCH(QVariant, value);
    QFETCH(QString, field);
    QFETCH(bool, accepted);
    const RowFilter filter(condition);
    QCOMPARE(filter.field(), field);
    QCOMPARE(filter.accepts(value), accepted);
}

void TestHelpers::rowFilterRefuses_data() {
    QTest::addColumn<QString>("condition");
    QTest::newRow("no operator") << "fio";
    QTest::newRow("other operator") << "o_id>42";
    QTest::newRow("no column") << "=42";
    QTest::newRow("like without quotes") << "fio like Пет%";
    QTest::newRow("unclosed quote") << "fio like 'Пет%";
    QTest::newRow("more after the quote") << "marka='x' or 1=1";
    QTest::newRow("empty") << "";
}

void TestHelpers::rowFilterRefuses() {
    QFETCH(QString, condition);
    try {
        RowFilter filter(condition);
        QFAIL("the condition was taken");
    } catch (const DbError& e) {
        QCOMPARE(e.message, QStringLiteral("Неверное условие фильтра: %1").arg(condition));
    }
}

QTEST_MAIN(TestHelpers)
#include "test_helpers.moc"
