// Expressions of report fields and the display of values through masks.
#include "reportengine/ReportExpression.h"
#include "reportengine/ReportFormat.h"

#include <QTest>

using namespace reportengine;

class TestReportExpression : public QObject {
    Q_OBJECT
private slots:
    void evaluates_data();
    void evaluates();
    void rejectsBadExpressions_data();
    void rejectsBadExpressions();
    void rejectsUnknownField();
    void masks_data();
    void masks();
    void rejectsBadMask();
};

void TestReportExpression::evaluates_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("shown");

    const QString kind = "IF(naimen=0,'Готовая продукция','Заготовки')";
    const QString colour = "if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')";
    const QVariant null = QVariant(QMetaType::fromType<double>());

    QTest::newRow("precedence") << "2+3*4-1" << QVariantMap{} << ""
                                << "13";
    QTest::newRow("parentheses") << "(2+3)*(4-1)" << QVariantMap{} << ""
                                 << "15";
    QTest::newRow("division") << "10/4" << QVariantMap{} << ""
                              << "2.5";
    QTest::newRow("unary minus") << "-x*2" << QVariantMap{{"x", 3}} << ""
                                 << "-6";
    QTest::newRow("default form hides float noise") << "a+b" << QVariantMap{{"a", 0.1}, {"b", 0.2}} << ""
                                                    << "0.3";
    QTest::newRow("fields without regard to case") << "SUMMA/1.2" << QVariantMap{{"summa", 12.0}} << "#0.00"
                                                   << "10.00";
    QTest::newRow("dataset prefix ignored") << "t_Report.fio" << QVariantMap{{"fio", "Петров"}} << ""
                                            << "Петров";
    QTest::newRow("IF finished") << kind << QVariantMap{{"naimen", 0}} << ""
                                 << "Готовая продукция";
    QTest::newRow("IF blanks") << kind << QVariantMap{{"naimen", 2}} << ""
                               << "Заготовки";
    QTest::newRow("colour primer") << colour << QVariantMap{{"color", 1}} << ""
                                   << " (грунт)";
    QTest::newRow("colour RAL") << colour << QVariantMap{{"color", 3020}} << ""
                                << " (RAL: 3020)";
    QTest::newRow("colour none") << colour << QVariantMap{{"color", 0}} << ""
                                 << " ";
    QTest::newRow("colour negative") << colour << QVariantMap{{"color", -1}} << ""
                                     << " ";
    QTest::newRow("STR of a fraction") << "'=' + STR(2.5)" << QVariantMap{} << ""
                                       << "=2.5";
    QTest::newRow("concatenation") << "fio + ', ' + 'цех ' + 2" << QVariantMap{{"fio", "Иванов"}} << ""
                                   << "Иванов, цех 2";
    QTest::newRow("quote inside text") << "'It''s'" << QVariantMap{} << ""
                                       << "It's";
    QTest::newRow("comparisons")
        << "IF((1<2) AND (2<=2) AND (3>2) AND (3>=3) AND (1<>2) AND NOT (1=2), 'y', 'n')" << QVariantMap{}
        << ""
        << "y";
    QTest::newRow("OR") << "IF(a=1 OR a=2, 'y', 'n')" << QVariantMap{{"a", 2}} << ""
                        << "y";
    QTest::newRow("text comparison") << "IF(fio='Б', 'y', 'n')" << QVariantMap{{"fio", "Б"}} << ""
                                     << "y";
    QTest::newRow("null field alone is empty") << "x" << QVariantMap{{"x", null}} << "#0.00"
                                               << "";
    QTest::newRow("null field counts as 0") << "x + 1" << QVariantMap{{"x", null}} << "#0.00"
                                            << "1.00";
    QTest::newRow("division by zero is empty") << "s/h" << QVariantMap{{"s", 5}, {"h", 0}} << "#0.00"
                                               << "";
    QTest::newRow("division by zero spreads") << "s/h/1.2 + 1" << QVariantMap{{"s", 5}, {"h", 0}} << "#0.00"
                                              << "";
    QTest::newRow("division by zero in text") << "'цена ' + STR(s/h)" << QVariantMap{{"s", 5}, {"h", 0}} << ""
                                              << "";
    QTest::newRow("IF avoids the division") << "IF(h=0, 0, s/h)" << QVariantMap{{"s", 5}, {"h", 0}} << "#0.00"
                                            << "0.00";
    QTest::newRow("text in arithmetic") << "fio * 2" << QVariantMap{{"fio", "Иванов"}} << ""
                                        << "";
}

void TestReportExpression::evaluates() {
    QFETCH(QString, expression);
    QFETCH(QVariantMap, fields);
    QFETCH(QString, mask);
    QFETCH(QString, shown);
    QCOMPARE(displayText(evaluateExpression(expression, fields), mask), shown);
}

void TestReportExpression::rejectsBadExpressions_data() {
    QTest::addColumn<QString>("expression");
    QTest::newRow("dangling operator") << "1+";
    QTest::newRow("missing argument") << "IF(1,2)";
    QTest::newRow("unknown function") << "FOO(1)";
    QTest::newRow("open text") << "'abc";
    QTest::newRow("open parenthesis") << "(1";
    QTest::newRow("two values") << "1 2";
    QTest::newRow("SUM inside SUM") << "SUM(SUM(1))";
    QTest::newRow("stray character") << "1 # 2";
}

void TestReportExpression::rejectsBadExpressions() {
    QFETCH(QString, expression);
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportExpression::parse(expression));
}

void TestReportExpression::rejectsUnknownField() {
    try {
        evaluateExpression("summa + sumaa", {{"summa", 1}});
        QFAIL("an unknown field was accepted");
    } catch (const ReportError& e) {
        QVERIFY2(e.text().contains("sumaa"), qPrintable(e.text()));
    }
}

void TestReportExpression::masks_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("decimalPoint");
    QTest::addColumn<QString>("shown");
    QTest::newRow("two decimals") << 2.5 << "#0.00"
                                  << "."
                                  << "2.50";
    QTest::newRow("three decimals") << 1234.5 << "#0.000"
                                    << "."
                                    << "1234.500";
    QTest::newRow("no decimals") << 1234.4 << "#0"
                                 << "."
                                 << "1234";
    QTest::newRow("half away from zero") << 2.675 << "#0.00"
                                         << "."
                                         << "2.68";
    QTest::newRow("half of a whole") << 0.5 << "#0"
                                     << "."
                                     << "1";
    QTest::newRow("negative half") << -2.5 << "#0"
                                   << "."
                                   << "-3";
    QTest::newRow("three decimals rounding") << 1.0005 << "#0.000"
                                             << "."
                                             << "1.001";
    QTest::newRow("carry into a new digit") << 999.995 << "#0.00"
                                            << "."
                                            << "1000.00";
    QTest::newRow("zero") << 0.0 << "#0.000"
                          << "."
                          << "0.000";
    QTest::newRow("small fraction") << 0.04 << "#0.00"
                                    << "."
                                    << "0.04";
    QTest::newRow("tiny number") << 1e-7 << "#0.00"
                                 << "."
                                 << "0.00";
    QTest::newRow("no negative zero") << -0.001 << "#0.00"
                                      << "."
                                      << "0.00";
    QTest::newRow("negative") << -12.345 << "#0.00"
                              << "."
                              << "-12.35";
    QTest::newRow("large number") << 123456789.125 << "#0.00"
                                  << "."
                                  << "123456789.13";
    QTest::newRow("grouping") << 1234567.891 << "#,##0.00"
                              << "."
                              << "1 234 567.89";
    QTest::newRow("optional decimals") << 2.5 << "0.0#"
                                       << "."
                                       << "2.5";
    QTest::newRow("text around") << 7.0 << "#0 шт."
                                 << "."
                                 << "7 шт.";
    QTest::newRow("decimal comma") << 3.14159 << "#0.00"
                                   << ","
                                   << "3,14";
}

void TestReportExpression::masks() {
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, decimalPoint);
    QFETCH(QString, shown);
    QCOMPARE(displayText(ReportValue::of(value), mask, decimalPoint), shown);
}

void TestReportExpression::rejectsBadMask() {
    QVERIFY_THROWS_EXCEPTION(ReportError, checkMask("abc"));
    QVERIFY_THROWS_EXCEPTION(ReportError, checkMask("#0.#0"));
}

QTEST_APPLESS_MAIN(TestReportExpression)
#include "test_reportexpression.moc"
