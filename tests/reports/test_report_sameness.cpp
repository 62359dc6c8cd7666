// The four summary reports' statements return the same rows as the statements they were first
// written with: the same columns, names and server types, the same rows both ways, in the order
// the first statements give them, on a workshop that holds the awkward cases of real data.
#include "ReportFixture.h"
#include "ReportSameness.h"
#include "data/Database.h"
#include "reports/SummaryReports.h"

#include <QSqlDatabase>
#include <QTest>
#include <array>

Q_DECLARE_METATYPE(SummaryReport)

namespace {

// Beyond the report fixture's month: what the enterprise tables may hold and the reports must
// count as the first statements did.
void loadAwkwardCases(TestDatabase& db) {
    const QStringList sql{
        // Two workers with one name.
        "insert into accounts_dep.person (id, fio, s_staffpos_hl) values (4, 'Иванов И.И.', 'Сварщик'), "
        "(5, 'Иванов И.И.', 'Маляр')",
        // A second person row with worker 1's code and name (his records count twice), one with
        // worker 2's code written with a leading zero under another name, and a worker known only
        // to the enterprise persons, by a code with leading zeros.
        "insert into cmn_contractor.person (id, s_code, s_caption) values (901, '1', 'Алексеев А.А.'), "
        "(902, '02', 'Борисов Б.Б. (совм.)'), (906, '0006', 'Григорьев Г.Г.')",
        // A group with an empty name; a product without mass in it, a product of no group.
        "insert into cmn_classifier.item (id, id_level, s_caption) values (30, 2, '')",
        "insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, "
        "id_class_item) values (300, 'П-3', '', 6, null, 30), (301, 'Б-1', '', 6, 1.5, null), "
        "(302, 'К-1', '', 6, 2.5, 10)",
        // Two operation types of one name, and one with an empty name.
        "insert into accounts_dep.vid_oper (id, vid) values (3, 'Сварка'), (4, '')",
        "insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (15, 3, 300, 1, 0), "
        "(16, 4, 301, 0, 0), (17, 1, 300, 0, 0), (18, 3, 100, 0, 0), (19, 1, 302, 0, 0)",
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, "
        "vvod, prize) values "
        // Both workers named Иванов, on the same and on different groups.
        "('03.02.2025', 1, 4, 100, 11, 10.3333, 7, 1, 0, 8, 'ok', '03.02.2025', 0), "
        "('04.02.2025', 1, 4, 300, 15, 3.1416, 11, 0, 2, null, 'ok', '04.02.2025', 12.5), "
        "('05.02.2025', 3, 4, 301, 16, 0.125, 9, 0, 0, 4, 'no', '05.02.2025', 10), "
        "('05.02.2025', 1, 5, 100, 11, 12.6, 3, 0, 0, 2, 'ok', '05.02.2025', 0), "
        "('06.02.2025', 2, 5, 200, 13, 2.2, 17, 2, 1, 7, 'ok', '06.02.2025', 5.5), "
        "('07.02.2025', 2, 5, 100, 18, 1.05, 40, 3, 0, 5, 'ok', '07.02.2025', null), "
        // The first and the last day of the month, and the days just outside it.
        "('01.02.2025', 1, 6, 300, 17, 7.77, 5, 0, 0, 8, 'ok', '01.02.2025', 0), "
        "('28.02.2025', 4, 1, 301, 16, 0.3333, 30, 1, 0, 3, 'ok', '28.02.2025', 20), "
        "('28.02.2025', 1, 2, 300, 15, 5.5, 6, null, 0, 8, 'ok', '28.02.2025', 0), "
        "('31.01.2025', 1, 6, 300, 17, 7.77, 50, 0, 0, 8, 'ok', '31.01.2025', 0), "
        "('01.03.2025', 1, 4, 100, 11, 10.3333, 70, 0, 0, 8, 'ok', '01.03.2025', 0), "
        // Two products of one mark, one kind of work on both; a worker no person row names.
        "('12.02.2025', 1, 2, 302, 19, 1.1, 13, 0, 0, 6, 'ok', '12.02.2025', 1), "
        "('12.02.2025', 1, 99, 100, 11, 10, 4, 0, 0, 2, 'ok', '12.02.2025', 0)",
        // Maintenance and average-rate work, day and night, inside the month, on its edges and
        // outside it, of groups the workers have records of and of others, of another type.
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values "
        "(4, 7777, 30, '03.02.2025', 2, 2025, 1, 6, 21.5, 0, 0), "
        "(4, 7778, 10, '04.02.2025', 2, 2025, 3, 3, 33.3333, 0, 1), "
        "(4, 7777, 30, '31.01.2025', 1, 2025, 1, 8, 21.5, 0, 0), "
        "(4, 5555, 30, '10.02.2025', 2, 2025, 1, 2, 10, 0, 0), "
        "(5, 7778, null, '11.02.2025', 2, 2025, 1, 4, 17.25, 0, 0), "
        "(5, 7777, 10, '12.02.2025', 2, 2025, 3, 5, 19, 0, 1), "
        "(6, 7777, 20, '13.02.2025', 2, 2025, 1, 8, 15, 0, 0), "
        "(1, 7777, 10, '28.02.2025', 2, 2025, 1, 2, 20, 0, 0), "
        "(1, 7778, 20, '01.02.2025', 2, 2025, 3, 3, 30, 0, 1), "
        "(2, 7777, 10, '20.02.2025', 2, 2025, 1, 1, 25.125, 0, 0), "
        "(2, 7778, 10, '01.03.2025', 3, 2025, 1, 4, 30, 0, 0)",
    };
    for (const QString& s : sql)
        db.exec(s);
}

// A journal day, 18 May 2026 (outside every report period above), with what the journal must show
// as the first statements did: workers named by two person rows of one code (the same name and
// another), by a code with leading zeros, by their key and by another person's code at once, two
// workers with one name, empty and missing names, a worker no person row names, a product with an
// empty mark, an operation type with an empty name, a kind that is not set, records that tie on
// every sort key, empty colours and quantities, every acceptance mark, all four shifts, and records
// of the days before and after.
const QDate kJournalDay(2026, 5, 18);

void loadJournalDay(TestDatabase& db) {
    const QStringList sql{
        "insert into cmn_contractor.person (id, s_code, s_caption) values (907, '7', ''), "
        "(908, '8', null), (909, '901', 'Дмитриев Д.Д.')",
        "insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, "
        "id_class_item) values (303, '', '', 6, 1, 10)",
        "insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (20, 1, 303, null, 0), "
        "(21, 4, 100, 1, 0)",
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, "
        "vvod, prize, id_doc) select '18.05.2026'::date + d, s, w, i, o, c, k, b, col, t, ok, "
        "'18.05.2026 07:30'::timestamp + n * interval '1 minute', 2.5, n from (select r.*, d, "
        "row_number() over () as n from (values "
        "(1, 1, 100, 11, 10.5, 12, 2, 0, 8, 'ok'), (1, 1, 100, 11, 10.5, 12, 2, 0, 8, 'ok'), "
        "(1, 1, 100, 12, 5.25, 3, 0, null, 4, 'no'), (1, 1, 303, 20, 1, 2, 0, 0, 1, 'ok'), (1, 2, 200, 13, "
        "2, 30, 5, 1, 6, 'да'), "
        "(1, 6, 303, 20, 1.125, null, 0, 2, 1, 'ok'), (1, 4, 100, 11, 7, 1, 0, 0, 1, 'ok'), "
        "(1, 5, 100, 11, 7, 2, 0, 0, 1, 'ok'), (1, 7, 301, 16, 0.3333, 9, 1, 0, 2, 'ok'), "
        "(1, 8, 303, 21, 3, 4, 0, 0, 2, 'no'), (1, 901, 101, 14, 4, 10, 1, 0, 2, 'ok'), "
        "(1, 99, 100, 11, 10, 4, 0, 0, 2, 'ok'), (1, 2, 101, 14, 4, 1, 0, 3, 1, 'ta'), "
        "(1, 2, 101, 14, 4, 1, 0, 3, 1, null), "
        "(2, 2, 100, 11, 10, 5, 0, 0, 3, 'ok'), (2, 1, 200, 13, 2, 8, 0, 0, 3, 'no'), "
        "(2, 7, 303, 20, 1, 1, 0, 0, 1, 'ok'), (2, 5, 100, 12, 5, 6, 1, 2, 3, 'ok'), "
        "(3, 6, 301, 16, 0.125, 9, 0, 0, 4, 'no'), (3, 4, 100, 21, 3.5, 2, 0, null, 2, 'ok'), "
        "(3, 8, 100, 11, 10, 1, 0, 0, 1, 'ok'), "
        "(4, 2, 301, 16, 0.3333, 30, 1, 0, 3, 'ok'), (4, 1, 100, 11, 15, 2, 0, 0, 2, 'да')"
        ") r(s, w, i, o, c, k, b, col, t, ok), generate_series(-1, 1) d) x",
    };
    for (const QString& s : sql)
        db.exec(s);
}

} // namespace

class TestReportSameness : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void sameRowsAsFirstWritten_data();
    void sameRowsAsFirstWritten();
    void journalSameAsFirstWritten_data();
    void journalSameAsFirstWritten();

private:
    TestDatabase* m_testDb = nullptr;
    Database* m_database = nullptr;
};

void TestReportSameness::initTestCase() {
    m_testDb = new TestDatabase;
    loadReportFixture(*m_testDb);
    loadAwkwardCases(*m_testDb);
    loadJournalDay(*m_testDb);
    m_database = m_testDb->openDatabase();
}

void TestReportSameness::cleanupTestCase() {
    delete m_testDb;
}

void TestReportSameness::sameRowsAsFirstWritten_data() {
    QTest::addColumn<SummaryReport>("report");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("rows"); // rows of the reference, so that no case passes empty by mistake
    const struct {
        const char* name;
        SummaryReport report;
    } reports[] = {{"workers", SummaryReport::Workers},
                   {"products", SummaryReport::Products},
                   {"workers detail", SummaryReport::WorkersDetail},
                   {"products detail", SummaryReport::ProductsDetail}};
    const struct {
        const char* name;
        QDate from, to;
        int rows[4];
    } periods[] = {{"month", kFrom, kTo, {15, 10, 17, 10}},
                   {"first day", kFrom, kFrom.addDays(1), {1, 1, 1, 1}},
                   {"last day", kTo.addDays(-1), kTo, {3, 2, 3, 2}},
                   {"quarter", QDate(2025, 1, 1), QDate(2025, 4, 1), {15, 10, 17, 10}},
                   {"empty", QDate(2030, 1, 1), QDate(2030, 2, 1), {0, 0, 0, 0}}};
    for (const auto& period : periods)
        for (int r = 0; r < 4; ++r)
            QTest::addRow("%s, %s", reports[r].name, period.name)
                << reports[r].report << period.from << period.to << period.rows[r];
}

void TestReportSameness::sameRowsAsFirstWritten() {
    QFETCH(SummaryReport, report);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, rows);
    using namespace reportsameness;
    const Reference& how = reference(report);
    auto layout = makeSummaryLayout(report, *m_database);
    const QString rewritten = layout->query().sql();
    QVERIFY(rewritten != how.sql);
    const QString connection = m_database->connection().name();

    const Rows first = readRows(connection, how.sql, from, to, how.periodParams);
    const Rows now = readRows(connection, rewritten, from, to, summaryReportInfo(report).periodParams);
    const QString difference = compareRows(first, now, how);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    const QString onServer =
        compareOnServer(QSqlDatabase::database(connection), how.sql, rewritten, how, from, to);
    QVERIFY2(onServer.isEmpty(), qPrintable(onServer));
    QCOMPARE(int(first.rows.size()), rows);
}

void TestReportSameness::journalSameAsFirstWritten_data() {
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("rows"); // rows of the reference, so that no case passes empty by mistake
    const struct {
        const char* name;
        QDate day;
        int rows[4];
    } days[] = {{"the awkward day", kJournalDay, {17, 6, 3, 4}},
                {"the day before", kJournalDay.addDays(-1), {17, 6, 3, 4}},
                {"a day of the report month", QDate(2025, 2, 5), {3, 0, 1, 0}},
                {"a day without records", QDate(2030, 1, 1), {0, 0, 0, 0}}};
    for (const auto& day : days)
        for (int s = 1; s <= 4; ++s)
            QTest::addRow("%s, shift %d", day.name, s) << day.day << s << day.rows[s - 1];
}

// Each shift's journal, read alone by its statement and read with the day's other shifts by one
// statement, gives the rows of the statement it was first written with: the same columns, names
// and types, the same rows both ways, in the order of its sort keys.
void TestReportSameness::journalSameAsFirstWritten() {
    QFETCH(QDate, day);
    QFETCH(int, shift);
    QFETCH(int, rows);
    using namespace reportsameness;
    const Reference& how = journalReference(shift);
    const QString rewritten = Database::journalSql(shift);
    QVERIFY(rewritten != how.sql);
    const QString connection = m_database->connection().name();
    const QString ok = QStringLiteral("ta");

    Dataset first(nullptr, connection), alone(nullptr, connection);
    first.setSql(how.sql);
    alone.setSql(rewritten);
    for (Dataset* q : {&first, &alone}) {
        q->setParam("data", day);
        q->setParam("ok", ok);
        q->open();
    }
    std::array<Dataset, 4> journals{Dataset(nullptr, connection), Dataset(nullptr, connection),
                                    Dataset(nullptr, connection), Dataset(nullptr, connection)};
    for (Dataset& q : journals) {
        q.setSql(Database::journalSql(int(&q - journals.data()) + 1));
        q.setParam("data", day);
        q.setParam("ok", ok);
    }
    m_database->openJournals(journals);
    const Dataset& ofTheDay = journals[shift - 1];

    const Rows reference = datasetRows(first);
    for (const Dataset* q : {static_cast<const Dataset*>(&alone), &ofTheDay}) {
        const QString difference = compareRows(reference, datasetRows(*q), how);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(q->fieldTypes(), first.fieldTypes());
    }
    const QString onServer =
        compareOnServer(QSqlDatabase::database(connection), withJournalParams(how.sql, day, ok),
                        withJournalParams(rewritten, day, ok), how, day, day);
    QVERIFY2(onServer.isEmpty(), qPrintable(onServer));
    QCOMPARE(int(reference.rows.size()), rows);
}

QTEST_MAIN(TestReportSameness)
#include "test_report_sameness.moc"
