// The import from the earlier database over real ODBC drivers: an SQLite file as the data source
// "Tabel", the test database through the PostgreSQL ODBC driver as "Tabel_PgSQL".
#include "LegacySource.h"
#include "app/MainWindow.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "import/ImportConnections.h"
#include "import/InteractiveImport.h"
#include "import/LegacyImport.h"
#include "journal/JournalView.h"
#include "support/TestSupport.h"
#include "ui/Permissions.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <thread>

namespace {

// Each table's rows as texts, one line per row, so that values (not counts) are compared.
QStringList rows(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            bool number = false;
            const double d = v.toDouble(&number);
            values << (v.isNull()                                   ? QStringLiteral("∅")
                       : number && v.typeId() != QMetaType::QString ? QString::number(d, 'g', 12)
                                                                    : v.toString());
        }
        out << values.join(u'|');
    }
    return out;
}

struct Comparison {
    QString source; // on the legacy source (or on the PostgreSQL database for the journal)
    QString target;
    bool journal;
};

QString days() {
    QStringList d;
    for (int i = 1; i <= 31; ++i)
        d << QStringLiteral("d%1").arg(i);
    return d.join(QStringLiteral(", "));
}

// What each target must hold afterwards, beside its rows with keys of 0 and below: the source's
// rows. The hours sheet's empty shift becomes 0, the journal's date and time its date.
const QList<Comparison>& comparisons() {
    static const QList<Comparison> list{
        {QStringLiteral("select id, w_id, month, year, coalesce(smena, 0), %1 from H_TABEL order by id")
             .arg(days()),
         QStringLiteral(
             "select id, w_id, month, year, smena, %1 from accounts_dep.h_tabel where id>0 order by id")
             .arg(days()),
         false},
        {QStringLiteral("select id, marka, nom, massa from IZDEL order by id"),
         QStringLiteral("select id, marka, nom, massa from accounts_dep.izdel where id>0 order by id"),
         false},
        {QStringLiteral("select marka, nom from NOMENKL"),
         QStringLiteral("select marka, nom from accounts_dep.nomenkl where id>0"), false},
        {QStringLiteral("select id, vid, naimen, cena, i_id from OPER order by id"),
         QStringLiteral("select id, vid, naimen, cena, i_id from accounts_dep.oper where id>0 order by id"),
         false},
        {QStringLiteral("select id, vid from VID_OPER order by id"),
         QStringLiteral("select id, vid from accounts_dep.vid_oper where id>0 order by id"), false},
        {QStringLiteral("select id, fio, addr from WORKERS order by id"),
         QStringLiteral("select id, fio, addr from accounts_dep.workers where id>0 order by id"), false},
        {QStringLiteral(
             "select id, w_id, i_id, o_id, kol_vo, brak, smena, cena, color, ok, data::date, time, vvod "
             "from public.smena order by id"),
         QStringLiteral("select id, w_id, i_id, o_id, kol_vo, brak, smena, cena, color, ok, data, time, vvod "
                        "from accounts_dep.smena where id>0 order by id"),
         true},
    };
    return list;
}

const QStringList kTargets{"accounts_dep.h_tabel", "accounts_dep.izdel",    "accounts_dep.nomenkl",
                           "accounts_dep.oper",    "accounts_dep.vid_oper", "accounts_dep.workers",
                           "accounts_dep.smena"};

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void importReplacesTargets_data();
    void importReplacesTargets();
    void importLogsOneRowPerTable();
    void refusedRowKeepsItsTarget_data();
    void refusedRowKeepsItsTarget();
    void closedMonthsStopTheImport_data();
    void closedMonthsStopTheImport();
    void journalIsNotCopiedOntoItself();
    void journalFromAnotherDatabase();
    void rowsCanBeAddedAfterImport();
    void saveDuringTheImportGetsAKeyOfItsOwn();
    void importCommand_data();
    void importCommand();
    void importActionShownToFullAccessWithDataSource_data();
    void importActionShownToFullAccessWithDataSource();
    void importFromMainWindowAsksFirst();

private:
    void fillSources();
    void fillTargets();
    ImportOutcome runImport(QStringList* progress = nullptr);
    QStringList targetRows(int step);
    QStringList sourceRows(int step);
    void verifyImported(int step);
    QStringList snapshot(int step);

    TestDatabase* db = nullptr;
    Database* main = nullptr;
    LegacySource* legacy = nullptr;
    MessageRecorder* boxes = nullptr;
};

void TestImport::init() {
    db = new TestDatabase(QStringLiteral("t_import_%1").arg(QCoreApplication::applicationPid()));
    main = db->openDatabase();
    legacy = new LegacySource(db->name(), db->host());
    boxes = new MessageRecorder;
    // A database of the enterprise need not keep its key sequences ahead of written keys by
    // itself: the import must see to it.
    for (const char* t : {"h_tabel", "oper", "vid_oper", "workers", "smena", "nomenkl"})
        db->exec(QStringLiteral("drop trigger %1_keep_id_sequence_ahead on accounts_dep.%1").arg(t));
    db->exec(
        QStringLiteral("drop trigger gds_and_srv_keep_id_sequence_ahead on cmn_gds_and_srv.gds_and_srv"));
    db->exec(LegacySource::journalTableSql());
    // The fixture's source table belongs to the superuser: the program's role is let read it.
    db->exec(QStringLiteral("grant select on public.smena to sys"));
}

void TestImport::cleanup() {
    delete boxes;
    delete legacy;
    delete db;
    boxes = nullptr;
    legacy = nullptr;
    db = nullptr;
    main = nullptr;
}

// Every kind of value, Russian texts, and an empty value in every column that may be empty.
void TestImport::fillSources() {
    QStringList dayValues;
    for (int d = 1; d <= 31; ++d)
        dayValues << (d % 7 == 0 ? QStringLiteral("null") : QString::number(d % 12));
    legacy->exec(QStringLiteral(
                     "insert into H_TABEL (id, w_id, month, smena, year, %1) values (3, 10, 1, 2, 2024, %2)")
                     .arg(days(), dayValues.join(u',')));
    legacy->exec(QStringLiteral("insert into H_TABEL (id) values (8)"));
    legacy->exec(QStringLiteral("insert into IZDEL values (2, 'КР-12', 'Корпус редуктора', 12.125)"));
    legacy->exec(QStringLiteral("insert into IZDEL values (5, null, null, null)"));
    legacy->exec(QStringLiteral("insert into NOMENKL values ('Корпуса', 'КР')"));
    legacy->exec(QStringLiteral("insert into NOMENKL values (null, null)"));
    legacy->exec(QStringLiteral("insert into OPER values (4, 1, 0, 15.75, 2)"));
    legacy->exec(QStringLiteral("insert into OPER values (9, null, null, null, null)"));
    legacy->exec(QStringLiteral("insert into VID_OPER values ('Токарная «чистовая»', 1)"));
    legacy->exec(QStringLiteral("insert into VID_OPER values (null, 3)"));
    legacy->exec(QStringLiteral("insert into WORKERS values ('Иванов Иван Иванович', 6, "
                                "'ул. \"Ленина\", 5\\' || char(10) || 'корп. 2')"));
    legacy->exec(QStringLiteral("insert into WORKERS values (null, 7, null)"));
    db->exec(
        QStringLiteral("insert into public.smena values (11, 6, 2, 4, 120, 3, 2, '2024-01-15 00:00', 1.1875, "
                       "3, 8, 'ok', '2024-01-15 10:20:30'), (12, null, null, null, null, null, null, null, "
                       "null, null, null, null, null), (13, 7, 5, 9, 1, 0, 1, '2024-02-29', 2.5, 1, 4, "
                       "'да', '2024-03-01 00:00:01')"));
}

// Rows that must go (keys above 0) and rows that must stay (keys of 0 and below).
void TestImport::fillTargets() {
    db->exec(
        "insert into accounts_dep.h_tabel (id, w_id, month, year) values (-1, 1, 1, 2020), (0, 1, 2, 2020), "
        "(3, 1, 3, 2020), (50, 1, 4, 2020)");
    db->exec(
        "insert into accounts_dep.izdel (id, marka, nom) values (-1, 'old', 'Старые'), (0, 'zero', null), "
        "(2, 'gone', null)");
    db->exec("insert into accounts_dep.nomenkl (id, nom, marka) values (-1, 'a', 'a'), (0, 'b', 'b'), (40, "
             "'c', 'c')");
    db->exec("insert into accounts_dep.oper (id, vid) values (-1, 1), (0, 1), (4, 1), (60, 1)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (-1, 'a'), (0, 'b'), (7777, 'Хоз. работы')");
    db->exec("insert into accounts_dep.workers (id, fio) values (-1, 'a'), (0, 'b'), (6, 'c'), (70, 'd')");
    db->exec("insert into accounts_dep.smena (id, w_id) values (-1, 1), (0, 1), (11, 1), (80, 1)");
}

ImportOutcome TestImport::runImport(QStringList* progress) {
    ImportConnections connections;
    LegacyImport import(connections.source(), connections.target(), main->connection().database());
    if (progress)
        import.setProgress([progress](const QString& text, bool) { *progress << text;
});
return import.run();
}

QStringList TestImport::sourceRows(int step) {
    const Comparison& c = comparisons()[step];
    return rows(c.journal ? main->connection().database() : legacy->connection(), c.source);
}

QStringList TestImport::targetRows(int step) {
    return rows(main->connection().database(), comparisons()[step].target);
}

void TestImport::verifyImported(int step) {
    // The same rows; the nomenclature has no keys of the source to order by.
    QStringList target = targetRows(step);
    QStringList source = sourceRows(step);
    target.sort();
    source.sort();
    QCOMPARE(target, source);
    // The rows with keys of 0 and below stayed.
    QCOMPARE(db->scalar(QStringLiteral("select count(*) from %1 where id<=0").arg(kTargets[step])).toInt(),
             2);
}

// A target's whole content, its own keys included.
QStringList TestImport::snapshot(int step) {
    return rows(main->connection().database(),
                QStringLiteral("select * from %1 order by id").arg(kTargets[step]));
}

void TestImport::importReplacesTargets_data() {
    QTest::addColumn<bool>("filled");
    QTest::newRow("sources with rows") << true;
    QTest::newRow("empty sources") << false;
}

void TestImport::importReplacesTargets() {
    QFETCH(bool, filled);
    if (filled)
        fillSources();
    fillTargets();
    QStringList progress;
    ImportOutcome outcome = runImport(&progress);
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    QCOMPARE(int(outcome.steps.size()), 7);
    const QStringList sourceNames{"H_TABEL", "IZDEL", "NOMENKL", "OPER", "VID_OPER", "WORKERS", "smena"};
    const QList<int> before{4, 3, 3, 4, 3, 4, 4};
    for (int step = 0; step < 7; ++step) {
        verifyImported(step);
        const qint64 n = sourceRows(step).size();
        QCOMPARE(outcome.steps[size_t(step)].rowsCopied, n);
        QCOMPARE(outcome.steps[size_t(step)].rowsBefore, before[step]);
        QVERIFY(progress.contains(QStringLiteral("%1: %2 из %2 записей").arg(sourceNames[step]).arg(n)));
    }
    // The reserved operation type 7777 is a key above 0 like any other: the source replaces it.
    QCOMPARE(db->scalar("select count(*) from accounts_dep.vid_oper where id=7777").toInt(), 0);
    if (filled) {
        // The nomenclature rows get keys of their own, above 0.
        QCOMPARE(db->scalar("select count(*) from accounts_dep.nomenkl where id>0").toInt(), 2);
        QCOMPARE(progress.first(), QString("H_TABEL: 0 из 2 записей"));
        QCOMPARE(LegacyImport::summaryLine(outcome.steps[0]),
                 QString("H_TABEL → accounts_dep.h_tabel: было 4, скопировано 2"));
    }

    // A second import gives the same content.
    const QString nomenklKeys =
        db->scalar("select string_agg(id::text, ',') from accounts_dep.nomenkl").toString();
    outcome = runImport();
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    for (int step = 0; step < 7; ++step)
        verifyImported(step);
    if (filled)
        QVERIFY(db->scalar("select string_agg(id::text, ',') from accounts_dep.nomenkl").toString() !=
                nomenklKeys);
}

// The change log gets one row per table the import replaced, with the counts before and after
// and the source, and none per row; a save afterwards is logged row by row again.
void TestImport::importLogsOneRowPerTable() {
    fillSources();
    fillTargets();
    const qint64 last = db->scalar("select coalesce(max(id), 0) from accounts_dep.change_log").toLongLong();
    const ImportOutcome outcome = runImport();
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    const QString after = QStringLiteral(" from accounts_dep.change_log where id>%1").arg(last);
    QCOMPARE(db->scalar("select count(*)" + after).toInt(), 7);
    QCOMPARE(db->scalar("select string_agg(distinct action, ',')" + after).toString(), QString("imported"));
    QCOMPARE(db->scalar("select string_agg(table_name, ',' order by table_name)" + after).toString(),
             QString("h_tabel,izdel,nomenkl,oper,smena,vid_oper,workers"));
    QCOMPARE(db->scalar("select concat_ws('|', old_row->>'rows', new_row->>'rows', new_row->>'source')" +
                        after + " and table_name='smena'")
                 .toString(),
             QStringLiteral("4|%1|%2:smena")
                 .arg(db->scalar("select count(*) from accounts_dep.smena").toInt())
                 .arg(db->name()));
    // The marker lasted for the import's transactions only.
    main->execute("update accounts_dep.oper set cena=1 where id>0");
    QVERIFY(db->scalar("select count(*)" + after + " and action='changed' and table_name='oper'").toInt() >
            0);
}

void TestImport::refusedRowKeepsItsTarget_data() {
    QTest::addColumn<int>("failingStep");
    QTest::addColumn<QString>("badRow");
    QTest::addColumn<bool>("onJournalSource");
    QTest::addColumn<QString>("message"); // the step, the tables and the reason
    QTest::newRow("worker name too long")
        << 6 << QString("insert into WORKERS values ('%1', 20, null)").arg(QString(200, u'Я')) << false
        << "Шаг 6 (WORKERS → accounts_dep.workers): ERROR: value too long for type character varying(128)";
    QTest::newRow("acceptance mark too long")
        << 7 << "insert into public.smena (id, ok) values (40, 'принято')" << true
        << "Шаг 7 (smena → accounts_dep.smena): ERROR: value too long for type character(2)";
    // Values that do not convert exactly are not turned into other values: the step fails,
    // naming the table, the row's key and the column.
    QTest::newRow("text in a number column") << 4 << "insert into OPER values (20, 'abc', 0, 1.5, 2)" << false
                                             << "Шаг 4 (OPER → accounts_dep.oper): таблица OPER, id 20, "
                                                "столбец vid: значение «abc» не целое число";
    QTest::newRow("fraction in a whole-number column")
        << 4 << "insert into OPER values (21, 3.7, 0, 1.5, 2)" << false
        << "Шаг 4 (OPER → accounts_dep.oper): таблица OPER, id 21, столбец vid: значение «3.7» не целое "
           "число";
    QTest::newRow("number beyond the column")
        << 4 << "insert into OPER values (22, 99999999999, 0, 1.5, 2)" << false
        << "Шаг 4 (OPER → accounts_dep.oper): таблица OPER, id 22, столбец vid: значение «99999999999» не "
           "помещается в столбец";
    QTest::newRow("text in a floating-point column")
        << 2 << "insert into IZDEL values (30, 'M', 'N', 'тяжёлый')" << false
        << "Шаг 2 (IZDEL → accounts_dep.izdel): таблица IZDEL, id 30, столбец massa: значение «тяжёлый» не "
           "число";
    // A record no report could sum (7,000,000 pieces at 16.05) is not brought in.
    QTest::newRow("record beyond the reports' sums")
        << 7 << "insert into public.smena (id, kol_vo, brak, cena) values (41, 7000000, 0, 16.05)" << true
        << "Шаг 7 (smena → accounts_dep.smena): таблица smena, id 41: Слишком большая сумма одной записи";
}

void TestImport::refusedRowKeepsItsTarget() {
    QFETCH(int, failingStep);
    QFETCH(QString, badRow);
    QFETCH(bool, onJournalSource);
    QFETCH(QString, message);
    fillSources();
    fillTargets();
    if (onJournalSource)
        db->exec(badRow);
    else
        legacy->exec(badRow);
    QList<QStringList> before;
    for (int step = 0; step < 7; ++step)
        before << snapshot(step);

    const ImportOutcome outcome = runImport();
    QVERIFY(!outcome.succeeded());
    QVERIFY2(outcome.error.startsWith(message), qPrintable(outcome.error));
    QCOMPARE(int(outcome.steps.size()), failingStep - 1);
    for (int step = 0; step < failingStep - 1; ++step)
        verifyImported(step);
    // The failing step's target and the later ones are as they were.
    for (int step = failingStep - 1; step < 7; ++step)
        QCOMPARE(snapshot(step), before[step]);
}

// A closed month whose rows the import would delete (the targets' rows with keys above 0) or
// write (the sources' rows): no step runs, nothing is deleted, and the message names the months.
// Months without rows, and reopened months, do not stop it.
void TestImport::closedMonthsStopTheImport_data() {
    QTest::addColumn<QString>("closing"); // rows of accounts_dep.closed_month
    QTest::addColumn<QString>("months");  // the months named; empty when the import runs
    QTest::newRow("journal source") << "(2024, 2, now())"
                                    << "02.2024";
    QTest::newRow("hours and journal sources") << "(2024, 1, now())"
                                               << "01.2024";
    QTest::newRow("target's hours") << "(2020, 4, now())"
                                    << "04.2020";
    QTest::newRow("several") << "(2024, 2, now()), (2020, 3, now()), (2020, 5, now())"
                             << "03.2020, 02.2024";
    QTest::newRow("month without rows") << "(2020, 5, now())"
                                        << "";
    QTest::newRow("reopened month") << "(2024, 2, null)"
                                    << "";
}

void TestImport::closedMonthsStopTheImport() {
    QFETCH(QString, closing);
    QFETCH(QString, months);
    fillSources();
    fillTargets();
    db->exec("insert into accounts_dep.closed_month (year, month, closed_at) values " + closing);
    QList<QStringList> before;
    for (int step = 0; step < 7; ++step)
        before << snapshot(step);
    const ImportOutcome outcome = runImport();
    if (months.isEmpty()) {
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
        for (int step = 0; step < 7; ++step)
            verifyImported(step);
        return;
    }
    QCOMPARE(outcome.error,
             QString("Импорт изменил бы закрытые месяцы: %1. Ничего не удалено и не записано; "
                     "чтобы выполнить импорт, эти месяцы открывают вновь в окне «Закрытие месяца».")
                 .arg(months));
    QCOMPARE(int(outcome.steps.size()), 0);
    for (int step = 0; step < 7; ++step)
        QCOMPARE(snapshot(step), before[step]);
}

void TestImport::journalIsNotCopiedOntoItself() {
    fillSources();
    fillTargets();
    // The program's search path finds the workshop's own journal under the source's name.
    main->execute("set search_path to accounts_dep, public");
    const QStringList journal = snapshot(6);
    QStringList progress;
    const ImportOutcome outcome = runImport(&progress);
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    QVERIFY(outcome.steps[6].skipped);
    QCOMPARE(snapshot(6), journal);
    QCOMPARE(progress.last(), QString("smena: пропущено, это сама таблица accounts_dep.smena"));
    QCOMPARE(LegacyImport::summaryLine(outcome.steps[6]),
             QString("smena → accounts_dep.smena: пропущено (это одна и та же таблица), было 4"));
    for (int step = 0; step < 6; ++step)
        verifyImported(step);
}

// The program's connection on another database than the target: the journal's rows travel
// through the program.
void TestImport::journalFromAnotherDatabase() {
    fillSources();
    fillTargets();
    TestDatabase elsewhere;
    elsewhere.exec(LegacySource::journalTableSql());
    elsewhere.exec("grant select on public.smena to sys");
    elsewhere.exec(
        "insert into public.smena values (21, 6, 2, 4, 7, 0, 3, '2023-12-31 00:00', 0.5, 0, 2, 'да', "
        "'2024-01-01 23:59:59'), (22, null, null, null, null, null, null, null, null, null, null, null, "
        "null)");
    {
        QSqlDatabase journal = QSqlDatabase::addDatabase("QPSQL", "journal_elsewhere");
        journal.setHostName(elsewhere.host());
        journal.setDatabaseName(elsewhere.name());
        journal.setUserName("sys");
        journal.setPassword("wemblox");
        QVERIFY(journal.open());
        ImportConnections connections;
        LegacyImport import(connections.source(), connections.target(), journal);
        const ImportOutcome outcome = import.run();
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
        QCOMPARE(outcome.steps[6].rowsCopied, 2);
        QCOMPARE(targetRows(6), rows(journal, comparisons()[6].source));
        journal.close();
    }
    QSqlDatabase::removeDatabase("journal_elsewhere");
}

void TestImport::rowsCanBeAddedAfterImport() {
    fillSources();
    fillTargets();
    const ImportOutcome outcome = runImport();
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    // New rows take their keys from the sequences, which now stand past the copied keys.
    main->execute("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, ok) "
                  "values ('16.01.2024', 1, 6, 2, 4, 1.5, 10, 0, 'no')");
    main->execute("insert into accounts_dep.workers (fio) values ('Петров Пётр')");
    main->execute("insert into accounts_dep.oper (vid, i_id, naimen) values (1, 2, 0)");
    main->execute("insert into accounts_dep.vid_oper (vid) values ('Сверлильная')");
    main->execute("insert into accounts_dep.h_tabel (w_id, month, year, smena) values (6, 1, 2024, 1)");
    main->execute("insert into accounts_dep.izdel (marka, nom) values ('КР-14', 'Корпуса')");
    QCOMPARE(db->scalar("select max(id) from accounts_dep.smena").toInt(), 14);
    QCOMPARE(db->scalar("select max(id) from accounts_dep.workers").toInt(), 8);
    QCOMPARE(db->scalar("select max(id) from accounts_dep.oper").toInt(), 10);
    QCOMPARE(db->scalar("select max(id) from accounts_dep.h_tabel").toInt(), 9);
    QCOMPARE(db->scalar("select max(id) from accounts_dep.izdel").toInt(), 6);
}

// Another workstation saves a work record while the import copies the journal: its row waits for
// the step and then takes a key after the copied ones, instead of one the step is writing.
void TestImport::saveDuringTheImportGetsAKeyOfItsOwn() {
    fillSources();
    fillTargets();
    // The sequence hands out the keys the source holds (11 to 13) next.
    db->exec("select setval('accounts_dep.smena_id_seq', 10)");
    // The journal's copy stops for a while after its rows are in, once.
    db->exec("create table public.slow_copy (x integer)");
    db->exec("insert into public.slow_copy values (1)");
    db->exec("create function public.slow_once() returns trigger language plpgsql security definer as $$ "
             "begin if exists (select 1 from public.slow_copy) then delete from public.slow_copy; "
             "perform pg_sleep(2); end if; return null; end $$");
    db->exec("create trigger slow_copy after insert on accounts_dep.smena for each statement execute "
             "function public.slow_once()");
    QString saveError;
    std::thread otherWorkstation([&] {
        Database other(nullptr, "second_workstation");
        other.connection().setConnectionString(buildConnectionString(db->commandLine()));
        other.connection().open();
        // Wait until the import's copy is under way.
        for (int i = 0; i < 500; ++i) {
            if (other
                    .readValue("select count(*) from pg_stat_activity where wait_event = 'PgSleep' and "
                               "datname = current_database()")
                    .toInt() > 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        try {
            Transaction t(other);
            other.execute(
                "insert into accounts_dep.smena (w_id, data, smena, kol_vo, brak, cena, time) values "
                "(6, '15.01.2024', 1, 5, 0, 1, 2)");
            t.commit();
        } catch (const DbError& e) {
            saveError = e.message;
        }
    });
    const ImportOutcome outcome = runImport();
    otherWorkstation.join();
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    QCOMPARE(saveError, QString());
    QCOMPARE(db->scalar("select string_agg(id::text, ',' order by id) from accounts_dep.smena where id > 0")
                 .toString(),
             QString("11,12,13,14"));
}

void TestImport::importCommand_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("badRow");
    QTest::addColumn<bool>("withLegacySource");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString summary = "H_TABEL → accounts_dep.h_tabel: было 4, скопировано 2\n"
                            "IZDEL → accounts_dep.izdel: было 3, скопировано 2\n"
                            "NOMENKL → accounts_dep.nomenkl: было 3, скопировано 2\n"
                            "OPER → accounts_dep.oper: было 4, скопировано 2\n"
                            "VID_OPER → accounts_dep.vid_oper: было 3, скопировано 2\n"
                            "WORKERS → accounts_dep.workers: было 4, скопировано 2\n";
    QTest::newRow("every step") << QStringList{"--import", "DB", "HOST"} << QString() << true << 0
                                << summary + "smena → accounts_dep.smena: было 4, скопировано 3\n"
                                << "smena: 3 из 3 записей\n";
    QTest::newRow("a row refused")
        << QStringList{"--import", "DB", "HOST"}
        << QString("insert into WORKERS values ('%1', 20, null)").arg(QString(200, u'Я')) << true << 3
        << summary.section(u'\n', 0, 4) + u'\n' << "Ошибка: Шаг 6 (WORKERS → accounts_dep.workers): ";
    QTest::newRow("no legacy source") << QStringList{"--import", "DB", "HOST"} << QString() << false << 3
                                      << QString() << "Ошибка: Источник данных Tabel: ";
    QTest::newRow("server missing") << QStringList{"--import", "DB"} << QString() << true << 2 << QString()
                                    << "Использование: tabel --import [БАЗА СЕРВЕР]";
    QTest::newRow("option of another command") << QStringList{"--import", "--pdf", "x.pdf"} << QString()
                                               << true << 2 << QString() << "неизвестный параметр --pdf";
    QTest::newRow("unknown option") << QStringList{"--imprt", "DB", "HOST"} << QString() << true << 2
                                    << QString()
                                    << "неизвестный параметр --imprt\nИспользование: tabel [БАЗА СЕРВЕР]\n";
}

void TestImport::importCommand() {
    QFETCH(QStringList, args);
    QFETCH(QString, badRow);
    QFETCH(bool, withLegacySource);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    fillSources();
    fillTargets();
    if (!badRow.isEmpty())
        legacy->exec(badRow);
    legacy->registerDataSources(withLegacySource);
    args.replaceInStrings(QRegularExpression("^DB$"), db->name());
    args.replaceInStrings(QRegularExpression("^HOST$"), db->host());
    QProcess program;
    program.start(QStringLiteral(TABEL_EXECUTABLE), args);
    QVERIFY(program.waitForFinished(60000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, qPrintable(stdErr));
    QCOMPARE(stdOut, out);
    QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
}

void TestImport::importActionShownToFullAccessWithDataSource_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("withLegacySource");
    QTest::addColumn<bool>("shown");
    QTest::newRow("full access") << "73516280" << true << true;
    QTest::newRow("full access, no legacy source") << "0471" << false << false;
    QTest::newRow("foreman") << "fendrok" << true << false;
    QTest::newRow("analyst") << "plutvi" << true << false;
}

void TestImport::importActionShownToFullAccessWithDataSource() {
    QFETCH(QString, code);
    QFETCH(bool, withLegacySource);
    QFETCH(bool, shown);
    legacy->registerDataSources(withLegacySource);
    MainWindow window(*main, *permissionsForCode(code));
    QCOMPARE(childNamed<QAction>(&window, "importAction")->isVisible(), shown);
}

void TestImport::importFromMainWindowAsksFirst() {
    fillSources();
    fillTargets();
    MainWindow window(*main, *permissionsForCode("73516280"));
    window.journal().showToday(); // as the window does when it is shown
    auto* action = childNamed<QAction>(&window, "importAction");
    auto* label = childNamed<QLabel>(&window, "importProgressLabel");
    QList<QStringList> before;
    for (int step = 0; step < 7; ++step)
        before << snapshot(step);

    boxes->answers = {QMessageBox::No};
    action->trigger();
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].caption, QString("Импорт"));
    QCOMPARE(boxes->shown[0].icon, QMessageBox::Question);
    for (const QString& table : kTargets)
        QVERIFY2(boxes->shown[0].text.contains(table), qPrintable(table));
    for (int step = 0; step < 7; ++step)
        QCOMPARE(snapshot(step), before[step]);

    boxes->clear();
    boxes->answers = {QMessageBox::Yes};
    action->trigger();
    QCOMPARE(boxes->texts(), QStringList{importQuestion()});
    for (int step = 0; step < 7; ++step)
        verifyImported(step);
    QCOMPARE(label->text(),
             QString("Импорт завершен: H_TABEL 2, IZDEL 2, NOMENKL 2, OPER 2, VID_OPER 2, WORKERS 2, "
                     "smena 3"));

    // A failure is shown with its step and the driver's text; the label says the import stopped.
    legacy->exec(QString("insert into WORKERS values ('%1', 20, null)").arg(QString(200, u'Я')));
    boxes->clear();
    boxes->answers = {QMessageBox::Yes};
    action->trigger();
    QCOMPARE(boxes->shown.size(), 2);
    QCOMPARE(boxes->shown[1].caption, QString("Ошибка"));
    QVERIFY2(boxes->shown[1].text.startsWith("Шаг 6 (WORKERS → accounts_dep.workers): "),
             qPrintable(boxes->shown[1].text));
    QVERIFY(label->text().startsWith("Импорт прерван: H_TABEL 2, IZDEL 2"));
}

QTEST_MAIN(TestImport)
#include "test_import.moc"
