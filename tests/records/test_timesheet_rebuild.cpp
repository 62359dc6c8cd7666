// Rebuilding a month's timesheet rows on a real database: the rows are those of the statement by
// statement sequence (a count, then an update or an insert for each worker and day); two
// rebuilds at once from two connections leave the rows of one; a rebuild that fails half-way
// leaves the month's previous rows.
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "records/DayHours.h"
#include "records/TimesheetRebuild.h"
#include "timesheets/TimesheetFixture.h"

#include <QSqlQuery>
#include <QTest>
#include <thread>

Q_DECLARE_METATYPE(TimesheetRows)

namespace {

// A month of the timesheet.
struct Month {
    int month;
    int year;
    int days() const { return QDate(year, month, 1).daysInMonth(); }
};

// The statement by statement sequence, as the month's rows were first rebuilt.
void rebuildStatementByStatement(Database& db, TimesheetRows rows, const Month& m) {
    const bool shifts = rows == TimesheetRows::Shifts;
    const QString period = QString(" and month=%1 and year=%2").arg(m.month).arg(m.year);
    db.execute(QString("delete from accounts_dep.h_tabel where smena%1").arg(shifts ? ">0" : "=0") + period);
    for (int day = 1; day <= m.days(); ++day) {
        const QString date = QString("%1.%2.%3").arg(day).arg(m.month).arg(m.year);
        const QString groups =
            shifts ? "select smena, w_id, sum(time) as tim from accounts_dep.smena where data=:data group by "
                     "smena,w_id"
                   : "select f.id_p, f.id_o, f.i_night, sum(f.cnt) as tim from accounts_dep.fatigue f where "
                     "f.d_date =:data group by f.id_p, f.id_o, f.i_night order by id_p";
        QSqlQuery q = runStatement(db.connection().database(), groups, {{"data", date}});
        QList<QStringList> found;
        while (q.next())
            found << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                 shifts ? QString() : q.value(3).toString()};
        for (const QStringList& g : found) {
            const QString who =
                shifts ? QString(" where w_id=%1 and smena=%2").arg(g[1], g[0])
                       : QString(" where w_id=%1 and i_type=%2 and i_night=%3").arg(g[0], g[1], g[2]);
            const QString tim = shifts ? g[2] : g[3];
            if (db.readValue("select count(w_id) as cnt from accounts_dep.h_tabel h_tabel" + who + period)
                    .toInt())
                db.execute(QString("update accounts_dep.h_tabel set d%1=%2").arg(day).arg(tim) + who +
                           period);
            else if (shifts)
                db.execute(
                    QString("insert into accounts_dep.h_tabel(smena, w_id, month, year, d%1) values(%2, %3, "
                            "%4, %5, %6)")
                        .arg(day)
                        .arg(g[0], g[1])
                        .arg(m.month)
                        .arg(m.year)
                        .arg(tim));
            else
                db.execute(
                    QString("insert into accounts_dep.h_tabel(i_type, w_id, i_night, month, year, d%1) "
                            "values(%2, %3, %4, %5, %6, %7)")
                        .arg(day)
                        .arg(g[1], g[0], g[2])
                        .arg(m.month)
                        .arg(m.year)
                        .arg(tim));
        }
    }
}

const Month kMarch{3, 2024};

} // namespace

class TestTimesheetRebuild : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sameRowsAsStatementByStatement_data();
    void sameRowsAsStatementByStatement();
    void twoRebuildsAtOnce_data();
    void twoRebuildsAtOnce();
    void failureHalfWayChangesNothing_data();
    void failureHalfWayChangesNothing();
    void saveDuringRebuildKeepsItsDay();

private:
    // Starts a rebuild of March at a second workstation (a connection of its own in a thread);
    // *error is left empty when it succeeds, else it gets the database's text.
    std::thread rebuildAtAnotherWorkstation(TimesheetRows rows, QString* error);
    // Each insert into the timesheet waits a little, so that a rebuild lasts long enough to meet
    // what another workstation does meanwhile.
    void slowDownTimesheetInserts();
    TestDatabase* db = nullptr;
    Database* database = nullptr;
};

std::thread TestTimesheetRebuild::rebuildAtAnotherWorkstation(TimesheetRows rows, QString* error) {
    *error = "not run";
    return std::thread([this, rows, error] {
        Database second(nullptr, "second_workstation");
        try {
            second.connection().setConnectionString(buildConnectionString(db->commandLine()));
            second.connection().open();
            rebuildTimesheetRows(second, rows, kMarch.year, kMarch.month);
            error->clear();
        } catch (const DbError& e) {
            *error = e.message;
        }
    });
}

void TestTimesheetRebuild::slowDownTimesheetInserts() {
    db->exec("create function pg_temp.slow() returns trigger language plpgsql as "
             "$$ begin perform pg_sleep(0.05); return null; end $$");
    db->exec("create trigger slow_insert after insert on accounts_dep.h_tabel for each statement execute "
             "function pg_temp.slow()");
}

void TestTimesheetRebuild::init() {
    db = new TestDatabase;
    loadTimesheetFixture(*db);
    // Rows a rebuild must replace or keep: a stale row of each kind in March, rows of April.
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, i_type, i_night, d1, d9) values "
             "(3, 3, 2024, 2, 0, 0, 8, 8), (2, 3, 2024, 0, 7777, 1, 4, null), (1, 4, 2024, 1, 0, 0, 8, 8), "
             "(1, 4, 2024, 0, 7777, 0, 8, null)");
    database = db->openDatabase();
}

void TestTimesheetRebuild::cleanup() {
    delete db;
}

void TestTimesheetRebuild::sameRowsAsStatementByStatement_data() {
    QTest::addColumn<TimesheetRows>("rows");
    QTest::newRow("shifts") << TimesheetRows::Shifts;
    QTest::newRow("maintenance") << TimesheetRows::Maintenance;
}

// The fixture has several shifts, types and night flags, days without records, a worker with
// only overtime and records without hours.
void TestTimesheetRebuild::sameRowsAsStatementByStatement() {
    QFETCH(TimesheetRows, rows);
    QString expected;
    {
        Transaction undo(*database);
        rebuildStatementByStatement(*database, rows, kMarch);
        // The fixture's connection does not see these uncommitted rows: read them on this one.
        QStringList columns{"w_id", "smena", "i_type", "i_night"};
        for (int d = 1; d <= 31; ++d)
            columns << QString("coalesce(d%1::text, '-')").arg(d);
        expected =
            database
                ->readValue(QString("select coalesce(string_agg(r, E'\\n' order by r), '') from (select "
                                    "concat_ws(',', %1) r from accounts_dep.h_tabel where month=3 and "
                                    "year=2024) x")
                                .arg(columns.join(", ")))
                .toString();
    }
    const QString april = timesheetRows(*db, 4, 2024);
    QVERIFY(timesheetRows(*db, 3, 2024) != expected);
    rebuildTimesheetRows(*database, rows, kMarch.year, kMarch.month);
    QCOMPARE(timesheetRows(*db, 3, 2024), expected);
    QCOMPARE(timesheetRows(*db, 4, 2024), april);
    QVERIFY(expected.contains(rows == TimesheetRows::Shifts ? "4,4,0,0,-,-,-,-,-,-,2," : "3,0,7778,1,"));
}

void TestTimesheetRebuild::twoRebuildsAtOnce_data() {
    sameRowsAsStatementByStatement_data();
}

// Each insert into the timesheet waits a little, so that two rebuilds without the lock would
// both find the month empty and both insert every row.
void TestTimesheetRebuild::twoRebuildsAtOnce() {
    QFETCH(TimesheetRows, rows);
    rebuildTimesheetRows(*database, rows, kMarch.year, kMarch.month);
    const QString once = timesheetRows(*db, 3, 2024);
    db->exec(QString("delete from accounts_dep.h_tabel where month=3 and year=2024 and smena%1")
                 .arg(rows == TimesheetRows::Shifts ? ">0" : "=0"));
    slowDownTimesheetInserts();

    QString otherError;
    std::thread other = rebuildAtAnotherWorkstation(rows, &otherError);
    QTest::qWait(20);
    rebuildTimesheetRows(*database, rows, kMarch.year, kMarch.month);
    other.join();
    QCOMPARE(otherError, QString());
    QCOMPARE(timesheetRows(*db, 3, 2024), once);
}

void TestTimesheetRebuild::failureHalfWayChangesNothing_data() {
    sameRowsAsStatementByStatement_data();
}

// A trigger refuses the rows of the 15th: the server's text comes back and the month keeps the
// rows it had.
void TestTimesheetRebuild::failureHalfWayChangesNothing() {
    QFETCH(TimesheetRows, rows);
    const QString before = timesheetRows(*db, 3, 2024);
    db->exec(
        "create function pg_temp.refuse() returns trigger language plpgsql as "
        "$$ begin if new.d15 is not null then raise exception 'табель закрыт'; end if; return new; end $$");
    db->exec("create trigger refuse_day before update or insert on accounts_dep.h_tabel for each row execute "
             "function pg_temp.refuse()");
    const QStringList records{
        "insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, color, ok, "
        "vvod, "
        "prize) values ('15.03.2024', 1, 3, 8, 1, 1, 0, 5, 42, 0, 'ok', '15.03.2024', 0)"};
    for (const QString& r : records)
        db->exec(r);
    QString error;
    QList<int> days;
    try {
        rebuildTimesheetRows(*database, rows, kMarch.year, kMarch.month, [&](int day) { days << day; });
    } catch (const DbError& e) {
        error = e.message;
    }
    QVERIFY2(error.contains("табель закрыт"), qPrintable(error));
    QCOMPARE(days.size(), 14);
    QCOMPARE(timesheetRows(*db, 3, 2024), before);
    // The connection goes on.
    QCOMPARE(database->readValue("select count(*) from accounts_dep.h_tabel where month=4").toInt(), 2);
}

// A work record saved at one workstation while another rebuilds the month's shift rows: the
// rebuild read that day before the record came, and without waiting for it the save's day upkeep
// would update the row the rebuild had just deleted. The save waits for the rebuild, and the
// day holds the true sum.
void TestTimesheetRebuild::saveDuringRebuildKeepsItsDay() {
    slowDownTimesheetInserts();
    QString otherError;
    std::thread other = rebuildAtAnotherWorkstation(TimesheetRows::Shifts, &otherError);
    // The rebuild is past the first days when the record of 4 March is saved.
    QTest::qWait(250);
    {
        Transaction save(*database);
        database->execute(
            "insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, "
            "o_id, color, ok, vvod, prize) values ('04.03.2024', 1, 1, 5, 1, 1, 0, 5, 42, 0, 'no', "
            "'04.03.2024', 0)");
        writeDayHours(save, *database, 1, 1, QDate(2024, 3, 4), true);
        save.commit();
    }
    other.join();
    QCOMPARE(otherError, QString());
    QCOMPARE(
        db->scalar("select string_agg(coalesce(d4, -1)::text, ',') from accounts_dep.h_tabel where w_id=1 "
                   "and smena=1 and month=3 and year=2024")
            .toString(),
        QString("13"));
}

QTEST_MAIN(TestTimesheetRebuild)
#include "test_timesheet_rebuild.moc"
