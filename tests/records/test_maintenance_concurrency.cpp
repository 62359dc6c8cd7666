// Two workstations saving maintenance entries for the same worker, type and day at the same
// moment: the day column ends with the true sum of both entries. The second workstation is
// this program started again as a separate process with a connection of its own.
#include "data/Connection.h"
#include "data/Database.h"
#include "records/MaintenanceEntry.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <cstdio>

namespace {

// Saves a 3-hour maintenance entry of worker 17 on 8 December 2026; false when it failed.
bool saveEntry(Database& db) {
    MaintenanceEntry e;
    e.workerId = 17;
    e.groupId = 902;
    e.type = kMaintenanceWork;
    e.date = QDate(2026, 12, 8);
    e.hours = 3;
    e.price = 150;
    try {
        saveMaintenanceEntry(db, e);
        return true;
    } catch (const DbError& err) {
        qWarning("%s", qPrintable(err.message));
        return false;
    }
}

// The second workstation (arguments: "--save-entry", database, server): connects, says
// "ready", and saves its entry when told "go".
int runSecondWorkstation(const QStringList& args) {
    Database db;
    try {
        db.connection().setConnectionString(buildConnectionString(args.mid(2, 2)));
        db.connection().open();
    } catch (const std::exception& e) {
        qWarning("%s", e.what());
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 3;
    return saveEntry(db) ? 0 : 1;
}

} // namespace

class TestMaintenanceConcurrency : public QObject {
    Q_OBJECT
private slots:
    void twoWorkstationsLeaveTheTrueSum_data();
    void twoWorkstationsLeaveTheTrueSum();
};

// The worker's timesheet row of the month exists already, or the two saves are the month's
// first entries and each would insert one.
void TestMaintenanceConcurrency::twoWorkstationsLeaveTheTrueSum_data() {
    QTest::addColumn<bool>("rowExists");
    QTest::newRow("row of the month exists") << true;
    QTest::newRow("first entries of the month") << false;
}

void TestMaintenanceConcurrency::twoWorkstationsLeaveTheTrueSum() {
    QFETCH(bool, rowExists);
    TestDatabase db;
    if (rowExists)
        db.exec("insert into accounts_dep.h_tabel (w_id, month, year, i_type, i_night, d7) values "
                "(17, 12, 2026, 7777, 0, 8)");
    db.exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван')");
    db.exec("insert into cmn_classifier.item (id, id_level, s_caption) values (902, 2, 'Склад')");
    // An entry write takes half a second, so that both saves are between their entry write and
    // their sum at the same time: each would miss the other's uncommitted entry without a lock.
    db.exec("create function accounts_dep.slow_entry() returns trigger language plpgsql as "
            "$$ begin perform pg_sleep(0.5); return new; end $$");
    db.exec("create trigger slow_entry after insert on accounts_dep.fatigue for each row "
            "execute function accounts_dep.slow_entry()");
    Database* database = db.openDatabase();
    QProcess other;
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--save-entry")} + db.commandLine());
    QVERIFY(other.waitForReadyRead(30000));
    QCOMPARE(other.readLine().trimmed(), QByteArray("ready"));
    other.write("go\n");
    QVERIFY(other.waitForBytesWritten(5000));
    QVERIFY(saveEntry(*database));
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 0);
    QCOMPARE(db.scalar("select count(*) from accounts_dep.fatigue").toInt(), 2);
    QCOMPARE(db.scalar("select count(*) from accounts_dep.h_tabel").toInt(), 1);
    QCOMPARE(db.scalar("select concat(d7, ' ', d8) from accounts_dep.h_tabel where w_id=17 and i_type=7777 "
                       "and i_night=0")
                 .toString(),
             rowExists ? "8 6" : " 6");
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (app.arguments().value(1) == QStringLiteral("--save-entry"))
        return runSecondWorkstation(app.arguments());
    TestMaintenanceConcurrency test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_maintenance_concurrency.moc"
