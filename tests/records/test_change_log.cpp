// The change log on a real server: who changed what through the program and through a plain
// session, the log kept from changes, restoring deleted records, bulk writes as one row, and the
// change list's filters.
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Dataset.h"
#include "records/ChangeLog.h"
#include "records/ClosedMonths.h"
#include "records/MaintenanceEntry.h"
#include "records/Refusal.h"
#include "records/TimesheetRebuild.h"
#include "records/WorkRecordStore.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <thread>

namespace {

const QDate kDay(2026, 12, 8);

WorkRecord sampleRecord() {
    WorkRecord r;
    r.date = kDay;
    r.shift = 1;
    r.workerId = 17;
    r.productId = 5;
    r.operationPriceId = 42;
    r.price = 2.5;
    r.quantity = QStringLiteral("120");
    r.rejects = QStringLiteral("0");
    r.hours = QStringLiteral("8");
    r.colour = QStringLiteral("0");
    return r;
}

void addPeople(TestDatabase& db) {
    db.exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван'), (18, 'Петров Пётр')");
}

// A session of the program's role that is not the program: what psql as sys would be.
QSqlDatabase plainSession(TestDatabase& db, const QString& name, const QString& applicationName) {
    QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    c.setHostName(db.host());
    c.setDatabaseName(db.name());
    c.setUserName(QStringLiteral("sys"));
    c.setPassword(QStringLiteral("wemblox"));
    c.setConnectOptions(QStringLiteral("application_name=%1").arg(applicationName));
    if (!c.open())
        qFatal("cannot open a plain session: %s", qPrintable(c.lastError().text()));
    return c;
}

// Deletes the sample record (the only work record) through the program's store.
void removeSampleRecord(TestDatabase& db, Database& database) {
    WorkRecord seen = sampleRecord();
    seen.id = db.scalar("select id from accounts_dep.smena").toInt();
    WorkRecordStore(database).remove(seen);
}

qint64 lastLogId(TestDatabase& db, const QString& action) {
    return db
        .scalar(QStringLiteral("select max(id) from accounts_dep.change_log where action='%1'").arg(action))
        .toLongLong();
}

} // namespace

class TestChangeLog : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setSessionUser({}); }
    void programChangeKeepsBothVersions();
    void plainSessionIsLoggedWithItsRole();
    void logRowsCannotBeChanged_data();
    void logRowsCannotBeChanged();
    void restoreGivesBackRowAndHours_data();
    void restoreGivesBackRowAndHours();
    void restoreIntoClosedMonthIsRefused();
    void restoreOfARecordEnteredAgainIsRefused();
    void twoWorkstationsRestoreOnce();
    void rebuildWritesOneRowPerMonthAndKind();
    void changeListFilters_data();
    void changeListFilters();
    void changeListDaysAreLocalDays_data();
    void changeListDaysAreLocalDays();
    void recordHistoryNamesFields();
};

// A change through the store leaves one row with both versions, the user's name and the
// workstation's host name.
void TestChangeLog::programChangeKeepsBothVersions() {
    TestDatabase db;
    addPeople(db);
    Database* database = db.openDatabase();
    setSessionUser(QStringLiteral("Сидорова А.А."));
    WorkRecordStore store(*database);
    store.add(sampleRecord(), kDay);
    WorkRecord original = sampleRecord();
    original.id = db.scalar("select id from accounts_dep.smena").toInt();
    WorkRecord changed = original;
    changed.quantity = QStringLiteral("80");
    const int before = db.scalar("select count(*) from accounts_dep.change_log").toInt();
    store.change(original, changed, kDay);
    QCOMPARE(db.scalar("select count(*) from accounts_dep.change_log").toInt(), before + 1);
    QSqlQuery q = runStatement(database->connection().database(),
                               "select user_name, workstation, action, (old_row->>'kol_vo')::int, "
                               "(new_row->>'kol_vo')::int, row_id, table_name from accounts_dep.change_log "
                               "order by id desc limit 1");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("Сидорова А.А."));
    QCOMPARE(q.value(1).toString(), workstationHostName());
    QCOMPARE(q.value(2).toString(), changekind::kChanged);
    QCOMPARE(q.value(3).toInt(), 120);
    QCOMPARE(q.value(4).toInt(), 80);
    QCOMPARE(q.value(5).toInt(), original.id);
    QCOMPARE(q.value(6).toString(), QString("smena"));
    // Accepting is logged as such.
    store.setAccepted(original.id, true);
    QCOMPARE(db.scalar("select action from accounts_dep.change_log order by id desc limit 1").toString(),
             changekind::kAccepted);
}

// psql or any other program as sys: the role and the client's application_name.
void TestChangeLog::plainSessionIsLoggedWithItsRole() {
    TestDatabase db;
    {
        QSqlDatabase c = plainSession(db, QStringLiteral("plain"), QStringLiteral("psql"));
        QSqlQuery q(c);
        QVERIFY(q.exec("insert into accounts_dep.norm (id, o_id, norma, price) values (900, 42, 10, 3.5)"));
        QVERIFY(q.exec("update accounts_dep.norm set price=4 where id=900"));
        QVERIFY(q.exec("update accounts_dep.norm set price=4 where id=900")); // changes nothing
        QVERIFY(q.exec("delete from accounts_dep.norm where id=900"));
        c.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    QCOMPARE(
        db.scalar("select string_agg(action || ' ' || user_name || ' ' || workstation, ', ' order by id) "
                  "from accounts_dep.change_log where table_name='norm' and row_id=900")
            .toString(),
        QString("added sys psql, changed sys psql, deleted sys psql"));
    QCOMPARE(
        db.scalar("select (old_row->>'price') || '>' || (new_row->>'price') from accounts_dep.change_log "
                  "where action='changed'")
            .toString(),
        QString("3.5>4"));
}

// sys may add to the log and read it, never change, delete or empty it; not even with a
// mistaken grant.
void TestChangeLog::logRowsCannotBeChanged_data() {
    QTest::addColumn<bool>("mistakenGrant");
    QTest::addColumn<QString>("statement");
    for (bool grant : {false, true}) {
        const char* tag = grant ? "granted" : "plain";
        QTest::addRow("delete, %s", tag) << grant << "delete from accounts_dep.change_log";
        QTest::addRow("update, %s", tag) << grant << "update accounts_dep.change_log set user_name='никто'";
        QTest::addRow("truncate, %s", tag) << grant << "truncate accounts_dep.change_log";
    }
}

void TestChangeLog::logRowsCannotBeChanged() {
    QFETCH(bool, mistakenGrant);
    QFETCH(QString, statement);
    TestDatabase db;
    db.exec("insert into accounts_dep.norm (id, o_id, norma, price) values (900, 42, 10, 3.5)");
    if (mistakenGrant)
        db.exec("grant all on accounts_dep.change_log to sys");
    const QString before =
        db.scalar("select string_agg(user_name || action, ',') from accounts_dep.change_log").toString();
    QVERIFY(!before.isEmpty());
    {
        QSqlDatabase c = plainSession(db, QStringLiteral("plain"), QStringLiteral("psql"));
        QSqlQuery q(c);
        QVERIFY(!q.exec(statement));
        QVERIFY(q.exec("insert into accounts_dep.change_log (user_name, workstation, table_name, action) "
                       "values ('sys', 'psql', 'norm', 'note')"));
        c.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    QCOMPARE(db.scalar("select string_agg(user_name || action, ',') from accounts_dep.change_log where "
                       "action<>'note'")
                 .toString(),
             before);
}

// A deleted work record or maintenance entry comes back with its id, values and hours; a second
// restore is refused; the restore is logged as added.
void TestChangeLog::restoreGivesBackRowAndHours_data() {
    QTest::addColumn<bool>("workRecord");
    QTest::newRow("work record") << true;
    QTest::newRow("maintenance entry") << false;
}

void TestChangeLog::restoreGivesBackRowAndHours() {
    QFETCH(bool, workRecord);
    TestDatabase db;
    addPeople(db);
    db.exec("insert into cmn_classifier.item (id, id_level, s_caption) values (902, 2, 'Склад')");
    Database* database = db.openDatabase();
    const QString table = workRecord ? "smena" : "fatigue";
    const QString hours = workRecord ? "select d8 from accounts_dep.h_tabel where w_id=17 and smena=1"
                                     : "select d8 from accounts_dep.h_tabel where w_id=17 and i_type=7777";
    MaintenanceEntry entry;
    if (workRecord) {
        WorkRecordStore(*database).add(sampleRecord(), kDay);
        database->execute("update accounts_dep.smena set ok='ok'");
    } else {
        entry.workerId = 17;
        entry.groupId = 902;
        entry.type = kMaintenanceWork;
        entry.date = kDay;
        entry.hours = 5;
        entry.price = 150;
        saveMaintenanceEntry(*database, entry);
        entry.id = db.scalar("select id from accounts_dep.fatigue").toInt();
    }
    const QString stored =
        db.scalar(QStringLiteral("select to_jsonb(t)::text from accounts_dep.%1 t").arg(table)).toString();
    const int dayHours = db.scalar(hours).toInt();
    QCOMPARE(dayHours, workRecord ? 8 : 5);
    if (workRecord) {
        removeSampleRecord(db, *database);
    } else {
        deleteMaintenanceEntry(*database, entry);
    }
    QCOMPARE(db.scalar(hours).toInt(), 0);
    const qint64 deletion = lastLogId(db, changekind::kDeleted);
    restoreDeleted(*database, deletion);
    QCOMPARE(
        db.scalar(QStringLiteral("select to_jsonb(t)::text from accounts_dep.%1 t").arg(table)).toString(),
        stored);
    QCOMPARE(db.scalar(hours).toInt(), dayHours);
    QCOMPARE(db.scalar("select action from accounts_dep.change_log order by id desc limit 1").toString(),
             changekind::kAdded);
    try {
        restoreDeleted(*database, deletion);
        QFAIL("a second restore went through");
    } catch (const Refusal& r) {
        QVERIFY2(r.message.contains("уже восстановлена"), qPrintable(r.message));
    }
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from accounts_dep.%1").arg(table)).toInt(), 1);
    QCOMPARE(db.scalar(hours).toInt(), dayHours);
    // An entry that is no deletion is not restored.
    QVERIFY_THROWS_EXCEPTION(Refusal, restoreDeleted(*database, lastLogId(db, changekind::kAdded)));
}

void TestChangeLog::restoreIntoClosedMonthIsRefused() {
    TestDatabase db;
    addPeople(db);
    Database* database = db.openDatabase();
    WorkRecordStore(*database).add(sampleRecord(), kDay);
    removeSampleRecord(db, *database);
    db.exec("insert into accounts_dep.closed_month (year, month, closed_at, closed_by) values (2026, 12, "
            "now(), 'x')");
    try {
        restoreDeleted(*database, lastLogId(db, changekind::kDeleted));
        QFAIL("a restore into a closed month went through");
    } catch (const Refusal& r) {
        QCOMPARE(r.message, closedMonthText({2026, 12}));
    }
    QCOMPARE(db.scalar("select count(*) from accounts_dep.smena").toInt(), 0);
}

// A record of the same worker, product, operation price, day, shift and colour entered after the
// deletion holds its place: the restore would make it twice, and is refused.
void TestChangeLog::restoreOfARecordEnteredAgainIsRefused() {
    TestDatabase db;
    addPeople(db);
    Database* database = db.openDatabase();
    WorkRecordStore(*database).add(sampleRecord(), kDay);
    removeSampleRecord(db, *database);
    WorkRecordStore(*database).add(sampleRecord(), kDay);
    try {
        restoreDeleted(*database, lastLogId(db, changekind::kDeleted));
        QFAIL("a record entered again was restored a second time");
    } catch (const Refusal& r) {
        QCOMPARE(r.message, QString("Позиция с такими параметрами уже заведена!"));
    }
    QCOMPARE(db.scalar("select count(*) from accounts_dep.smena").toInt(), 1);
    QCOMPARE(db.scalar("select d8 from accounts_dep.h_tabel where w_id=17 and smena=1").toInt(), 8);
}

// Two workstations restore the same deletion at the same moment: one brings it back, the other
// is refused, and the day's hours count the record once.
void TestChangeLog::twoWorkstationsRestoreOnce() {
    TestDatabase db;
    addPeople(db);
    Database* database = db.openDatabase();
    WorkRecordStore(*database).add(sampleRecord(), kDay);
    removeSampleRecord(db, *database);
    const qint64 deletion = lastLogId(db, changekind::kDeleted);
    // Each restore's insert takes half a second, so that both are under way at once.
    db.exec("create function accounts_dep.slow_insert() returns trigger language plpgsql as "
            "$$ begin perform pg_sleep(0.5); return new; end $$");
    db.exec("create trigger slow_insert before insert on accounts_dep.smena for each row execute function "
            "accounts_dep.slow_insert()");
    QString otherOutcome;
    std::thread other([&] {
        Database second(nullptr, "second_workstation");
        second.connection().setConnectionString(buildConnectionString(db.commandLine()));
        second.connection().open();
        try {
            restoreDeleted(second, deletion);
            otherOutcome = QStringLiteral("restored");
        } catch (const DbError& e) {
            otherOutcome = e.message;
        }
    });
    QString ownOutcome;
    try {
        restoreDeleted(*database, deletion);
        ownOutcome = QStringLiteral("restored");
    } catch (const DbError& e) {
        ownOutcome = e.message;
    }
    other.join();
    const QStringList outcomes{ownOutcome, otherOutcome};
    QCOMPARE(outcomes.count(QStringLiteral("restored")), 1);
    const QString refusal = ownOutcome == QLatin1String("restored") ? otherOutcome : ownOutcome;
    QVERIFY2(refusal.contains("уже восстановлена"), qPrintable(outcomes.join(" | ")));
    QCOMPARE(db.scalar("select count(*) from accounts_dep.smena").toInt(), 1);
    QCOMPARE(db.scalar("select d8 from accounts_dep.h_tabel where w_id=17 and smena=1").toInt(), 8);
}

void TestChangeLog::rebuildWritesOneRowPerMonthAndKind() {
    TestDatabase db;
    addPeople(db);
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
            "values ('08.12.2026', 1, 17, 5, 42, 1, 1, 0, 5, 'no'), ('09.12.2026', 2, 18, 5, 42, 1, 1, 0, 6, "
            "'no')");
    Database* database = db.openDatabase();
    const int before = db.scalar("select count(*) from accounts_dep.change_log").toInt();
    rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2026, 12);
    rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2026, 12);
    QCOMPARE(db.scalar("select count(*) from accounts_dep.change_log").toInt(), before + 2);
    QCOMPARE(db.scalar("select string_agg(action || ' ' || table_name || ' ' || (old_row->>'rows') || '>' || "
                       "(new_row->>'rows') || ' ' || (new_row->>'month'), ', ' order by id) from "
                       "accounts_dep.change_log where row_id is null")
                 .toString(),
             QString("rebuilt h_tabel 0>2 12.2026, rebuilt h_tabel 0>0 12.2026"));
}

// The list of a period with each filter: worker, user, kind, and a period without changes.
void TestChangeLog::changeListFilters_data() {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("worker");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected"); // the kinds of the rows listed, newest first
    const QDate today = QDate::currentDate();
    QTest::newRow("everything") << today << today << 0 << ""
                                << ""
                                << "удалена,изменена,добавлена,добавлена";
    QTest::newRow("worker") << today << today << 18 << ""
                            << ""
                            << "удалена,добавлена";
    QTest::newRow("user") << today << today << 0 << "Кузнецова"
                          << ""
                          << "удалена,изменена";
    QTest::newRow("kind") << today << today << 0 << "" << changekind::kAdded << "добавлена,добавлена";
    QTest::newRow("yesterday") << today.addDays(-1) << today.addDays(-1) << 0 << ""
                               << ""
                               << "";
}

void TestChangeLog::changeListFilters() {
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, worker);
    QFETCH(QString, user);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    TestDatabase db;
    addPeople(db);
    Database* database = db.openDatabase();
    WorkRecordStore store(*database);
    setSessionUser(QStringLiteral("Петрова"));
    store.add(sampleRecord(), kDay);
    WorkRecord other = sampleRecord();
    other.workerId = 18;
    store.add(other, kDay);
    setSessionUser(QStringLiteral("Кузнецова"));
    WorkRecord first = sampleRecord();
    first.id = db.scalar("select id from accounts_dep.smena where w_id=17").toInt();
    WorkRecord changed = first;
    changed.rejects = QStringLiteral("3");
    store.change(first, changed, kDay);
    other.id = db.scalar("select id from accounts_dep.smena where w_id=18").toInt();
    store.remove(other);

    const ChangeListFilter filter{from, to, worker, user, action};
    Dataset list(nullptr, database->connection().name());
    list.setSql(changeListSql(filter));
    const Params params = changeListParams(filter);
    for (auto it = params.begin(); it != params.end(); ++it)
        list.setParam(it.key(), it.value());
    list.open();
    QStringList kinds;
    for (int row = 0; row < list.recordCount(); ++row)
        kinds << list.valueAt(row, QStringLiteral("kind")).toString();
    QCOMPARE(kinds.join(u','), expected);
    if (expected.startsWith(QStringLiteral("удалена,изменена"))) {
        QCOMPARE(list.valueAt(1, QStringLiteral("changes")).toString(), QString("Брак: 0 → 3"));
        QCOMPARE(list.valueAt(1, QStringLiteral("fio")).toString(), QString("Иванов Иван"));
    }
}

// A change half an hour after midnight of this computer's day (the tests run in Moscow time)
// belongs to that day, whatever the server's time zone.
void TestChangeLog::changeListDaysAreLocalDays_data() {
    QTest::addColumn<QString>("serverZone");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("rows");
    for (const char* zone : {"UTC", "America/New_York"}) {
        QTest::addRow("%s, that day", zone) << zone << QDate(2026, 12, 10) << 1;
        QTest::addRow("%s, the day before", zone) << zone << QDate(2026, 12, 9) << 0;
    }
}

void TestChangeLog::changeListDaysAreLocalDays() {
    QFETCH(QString, serverZone);
    QFETCH(QDate, day);
    QFETCH(int, rows);
    TestDatabase db;
    db.exec(QStringLiteral("alter database %1 set timezone to '%2'").arg(db.name(), serverZone));
    db.exec("insert into accounts_dep.change_log (at, user_name, workstation, table_name, row_id, action) "
            "values ('2026-12-10 00:30+03', 'u', 'w', 'smena', 1, 'added')");
    Database* database = db.openDatabase();
    const ChangeListFilter filter{day, day, 0, {}, {}};
    Dataset list(nullptr, database->connection().name());
    list.setSql(changeListSql(filter));
    const Params params = changeListParams(filter);
    for (auto it = params.begin(); it != params.end(); ++it)
        list.setParam(it.key(), it.value());
    list.open();
    QCOMPARE(list.recordCount(), rows);
    // The moment reads back as this computer's time.
    if (rows == 1)
        QCOMPARE(list.valueAt(0, QStringLiteral("at")).toDateTime().toLocalTime(),
                 QDateTime(QDate(2026, 12, 10), QTime(0, 30)));
}

// The versions of a record with the fields named as the journal's grid names them.
void TestChangeLog::recordHistoryNamesFields() {
    TestDatabase db;
    addPeople(db);
    Database* database = db.openDatabase();
    WorkRecordStore store(*database);
    store.add(sampleRecord(), kDay);
    WorkRecord first = sampleRecord();
    first.id = db.scalar("select id from accounts_dep.smena").toInt();
    WorkRecord changed = first;
    changed.workerId = 18;
    changed.quantity = QStringLiteral("80");
    store.change(first, changed, kDay);
    const std::vector<ChangeLogEntry> versions = recordHistory(*database, kWorkRecordsTable, first.id);
    QCOMPARE(int(versions.size()), 2);
    QCOMPARE(versions[0].action, changekind::kAdded);
    QCOMPARE(changesText(changedFields(*database, versions[1])),
             QString("Фамилия И.О.: Иванов Иван → Петров Пётр; Кол-во: 120 → 80"));
    QVERIFY(changesText(changedFields(*database, versions[0])).contains("Дата: 08.12.2026"));
}

QTEST_MAIN(TestChangeLog)
#include "test_change_log.moc"
