// The day-hours upkeep on a real server, for both kinds of timesheet rows: two workstations
// keeping the same worker's month at once leave one row with the true sum.
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "records/DayHours.h"
#include "records/MaintenanceEntry.h"
#include "support/TestSupport.h"

#include <QTest>
#include <thread>

Q_DECLARE_METATYPE(TimesheetRowsKind)

namespace {

const QDate kDay(2026, 12, 8);

DayHoursCell cellOf(TimesheetRowsKind kind, const QDate& day) {
    return kind == TimesheetRowsKind::Shifts ? DayHoursCell::shiftRow(17, 1, day)
                                             : DayHoursCell::maintenanceRow(17, kMaintenanceWork, false, day);
}

} // namespace

class TestDayHours : public QObject {
    Q_OBJECT
private slots:
    void racingUpkeepKeepsOneRow_data();
    void racingUpkeepKeepsOneRow();
};

void TestDayHours::racingUpkeepKeepsOneRow_data() {
    QTest::addColumn<TimesheetRowsKind>("kind");
    QTest::addColumn<QString>("records");
    QTest::newRow("shift row")
        << TimesheetRowsKind::Shifts
        << "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, "
           "brak, time, ok) values ('08.12.2026', 1, 17, 5, 42, 1, 1, 0, 5, 'no'), "
           "('09.12.2026', 1, 17, 5, 42, 1, 1, 0, 6, 'no')";
    QTest::newRow("maintenance row")
        << TimesheetRowsKind::Maintenance
        << "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, "
           "price, "
           "i_holiday, i_night) values (17, 7777, 2, '08.12.2026', 12, 2026, 1, 5, 20, 0, 0), "
           "(17, 7777, 2, '09.12.2026', 12, 2026, 1, 6, 20, 0, 0)";
}

// Two workstations keep the hours of one worker and month at the same moment: the second waits
// while the first has counted the rows and not yet committed its new row.
void TestDayHours::racingUpkeepKeepsOneRow() {
    QFETCH(TimesheetRowsKind, kind);
    QFETCH(QString, records);
    TestDatabase db;
    db.exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван')");
    db.exec(records);
    Database* database = db.openDatabase();
    Transaction first(*database);
    writeDayHours(first, *database, cellOf(kind, kDay), true); // counted no row, inserted one
    std::thread second([&] {
        Database other(nullptr, "second_workstation");
        other.connection().setConnectionString(buildConnectionString(db.commandLine()));
        other.connection().open();
        Transaction t(other);
        writeDayHours(t, other, cellOf(kind, kDay.addDays(1)), true);
        t.commit();
    });
    // The second workstation waits for the first one's lock before it counts.
    QTRY_COMPARE(db.scalar("select count(*) from pg_locks where locktype='advisory' and not granted").toInt(),
                 1);
    first.commit();
    second.join();
    QCOMPARE(db.scalar("select count(*) from accounts_dep.h_tabel where w_id=17").toInt(), 1);
    QCOMPARE(db.scalar("select d8 + d9 from accounts_dep.h_tabel where w_id=17").toInt(), 11);
}

QTEST_MAIN(TestDayHours)
#include "test_day_hours.moc"
