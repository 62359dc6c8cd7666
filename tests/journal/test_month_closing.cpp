// Closed months on a real server with two workstations: every write of a closed month is refused
// by the program before anything is sent and by the server whoever sends it; the journal, the
// maintenance works and the timesheets show and keep it; the window closes and reopens months;
// without the closing objects in the database everything works as before.
#include "EditorFixture.h"
#include "JournalUnderTest.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "maintenance/MaintenanceWorksWindow.h"
#include "records/AverageRate.h"
#include "records/ClosedMonths.h"
#include "records/MaintenanceEntry.h"
#include "records/ProductStore.h"
#include "records/Refusal.h"
#include "records/TimesheetRebuild.h"
#include "records/WorkRecordStore.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "support/TestSupport.h"
#include "timesheets/HoursTimesheetWindow.h"
#include "timesheets/MonthClosingWindow.h"
#include "timesheets/PieceworkTimesheetWindow.h"
#include "ui/Permissions.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimeZone>

#include <array>
#include <thread>

using Write = std::function<void(Database&)>;
Q_DECLARE_METATYPE(Write)

namespace {

const YearMonth kMarch{2024, 3};
const YearMonth kApril{2024, 4};

// Everything a closed month keeps: the work records, maintenance entries, timesheet rows and
// products, as text.
QString storedState(TestDatabase& db) {
    return db
        .scalar(
            "select concat_ws(E'\\n', "
            "(select string_agg(concat_ws(',', id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, "
            "color, ok), ';' order by id) from accounts_dep.smena), "
            "(select string_agg(concat_ws(',', id, id_p, id_o, id_nom, d_date, cnt, price, i_night), ';' "
            "order by id) from accounts_dep.fatigue), "
            "(select string_agg(h::text, ';' order by h.id) from accounts_dep.h_tabel h), "
            "(select string_agg(id::text, ';' order by id) from cmn_gds_and_srv.gds_and_srv))")
        .toString();
}

// A statement that changes rows: what the program must not have sent for a refused write.
bool isWrite(const QString& sql) {
    static const QRegularExpression write(QStringLiteral("^\\s*(insert|update|delete|with)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    return write.match(sql).hasMatch();
}

// A work record of the fixture as stored, as the journal hands it to the editor.
WorkRecord storedRecord(Database& db, int id) {
    Dataset stored(nullptr, db.connection().name());
    stored.setSql(
        QStringLiteral("select id, data, smena, w_id, i_id, o_id, cena, kol_vo::numeric, brak, time, "
                       "color from accounts_dep.smena where id=:id"));
    stored.setParam(QStringLiteral("id"), id);
    stored.open();
    return WorkRecord::fromStoredRow(stored);
}

MaintenanceEntry storedEntry(TestDatabase& db, const QDate& day) {
    MaintenanceEntry e;
    e.id = db.scalar(QStringLiteral("select min(id) from accounts_dep.fatigue where d_date='%1'")
                         .arg(day.toString(Qt::ISODate)))
               .toInt();
    e.workerId = 1;
    e.groupId = 2;
    e.type = kMaintenanceWork;
    e.date = day;
    e.hours = 8;
    e.price = 20;
    return e;
}

// A second workstation: the program's database object on a connection of its own.
struct SecondWorkstation {
    explicit SecondWorkstation(TestDatabase& db, const QString& name = QStringLiteral("second_workstation"))
        : database(nullptr, name) {
        database.connection().setConnectionString(buildConnectionString(db.commandLine()));
        database.connection().open();
    }
    Database database;
};

// Runs the action at two workstations at the same moment: the test's own session holds the lock
// of March, where closing and reopening wait, until both wait there. What each returned, and
// whether both did wait there together.
struct AtOnce {
    std::array<bool, 2> returned{false, false};
    bool bothWaited = false;
};

AtOnce atTwoWorkstationsAtOnce(TestDatabase& db, const std::function<bool(Database&, int)>& act) {
    db.exec("select pg_advisory_lock(7105, 202403)");
    AtOnce result;
    std::thread workstations[2];
    for (int i = 0; i < 2; ++i)
        workstations[i] = std::thread([&, i] {
            SecondWorkstation ws(db, QStringLiteral("workstation_%1").arg(i));
            result.returned[size_t(i)] = act(ws.database, i);
        });
    result.bothWaited = QTest::qWaitFor(
        [&] { return db.scalar("select count(*) from pg_locks where not granted").toInt() == 2; }, 20000);
    db.exec("select pg_advisory_unlock(7105, 202403)");
    for (std::thread& t : workstations)
        t.join();
    return result;
}

} // namespace

class TestMonthClosing : public EditorTestCase {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void editorSaveRefusedAfterClosingElsewhere();
    void recordMovedIntoClosedMonthIsRefused();
    void programRefusesEveryWrite_data();
    void programRefusesEveryWrite();
    void serverRefusesEveryWrite_data();
    void serverRefusesEveryWrite();
    void closingAtOnceLeavesOneRow();
    void reopeningAtOnceReopensOnce();
    void journalOfClosedDay_data();
    void journalOfClosedDay();
    void maintenanceWindowOfClosedDay();
    void timesheetWindowsRefuseRebuild();
    void closingWindowClosesAndReopens();
    void closingWindowShowsOthersTheListOnly();
    void withoutClosingObjects();
    void monthsCommand();

private:
    void closeMarch() {
        db->exec("insert into accounts_dep.closed_month (year, month, closed_at, closed_by) values "
                 "(2024, 3, '2024-04-01 09:30+03', 'бухгалтер@ws-1')");
    }
    // The worker and operation-price pickers choose their first rows.
    void pickFirstRows();
    QLineEdit* editorBox(const char* name) const { return childNamed<QLineEdit>(&journal->editor(), name); }
};

void TestMonthClosing::init() {
    setUpEditorTest();
    for (int month : {3, 4}) {
        rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, month);
        rebuildTimesheetRows(*database, TimesheetRows::Maintenance, 2024, month);
    }
}

void TestMonthClosing::cleanup() {
    tearDownEditorTest();
}

void TestMonthClosing::pickFirstRows() {
    for (const char* list : {"WorkersDialog", "OperationPricesDialog"})
        onModal[list] = [this, list] {
            for (QPushButton* b : journal->findChild<QDialog*>(list)->findChildren<QPushButton*>())
                if (b->text() == "Выбрать")
                    clickOn(b);
        };
}

// The editor is open on a new record of today (April) when another workstation closes April:
// the save is refused with the month named, nothing is written, the editor stays with what was
// typed; the other workstation reopens April and the same click saves.
void TestMonthClosing::editorSaveRefusedAfterClosingElsewhere() {
    openJournal();
    SecondWorkstation other(*db);
    pickFirstRows();
    onModal.onScreen = true;
    const int recordsBefore = db->scalar("select count(*) from accounts_dep.smena").toInt();
    const QString hoursBefore = timesheetRows(*db, 4, 2024);
    bool keptOpen = false;
    QString quantityKept, hoursKept;
    int recordsWhileClosed = -1;
    bool closedThere = false, reopenedThere = false;
    onModal["WorkRecordEditor"] = [&, this] {
        WorkRecordEditor* editor = &journal->editor();
        clickOn(childNamed<QPushButton>(editor, "workerButton"));
        clickOn(childNamed<QPushButton>(editor, "operationButton"));
        editorBox("quantityEdit")->setText("7");
        editorBox("hoursEdit")->setText("5");
        closedThere = closeMonth(other.database, kApril, "бухгалтер@ws-2");
        QTest::mouseClick(childNamed<QPushButton>(editor, "saveButton"), Qt::LeftButton);
        keptOpen = editor->isVisible();
        quantityKept = editorBox("quantityEdit")->text();
        hoursKept = editorBox("hoursEdit")->text();
        recordsWhileClosed = db->scalar("select count(*) from accounts_dep.smena").toInt();
        reopenedThere = reopenMonth(other.database, kApril, "бухгалтер@ws-2", "запись забыли внести");
        QTest::mouseClick(childNamed<QPushButton>(editor, "saveButton"), Qt::LeftButton);
    };
    journal->click("addButton");
    QVERIFY(closedThere);
    QVERIFY(reopenedThere);
    QCOMPARE(boxes->texts(), QStringList{closedMonthText(kApril)});
    QVERIFY(keptOpen);
    QCOMPARE(quantityKept, QString("7"));
    QCOMPARE(hoursKept, QString("5"));
    QCOMPARE(recordsWhileClosed, recordsBefore);
    QVERIFY(!journal->editor().isVisible());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), recordsBefore + 1);
    QVERIFY(timesheetRows(*db, 4, 2024) != hoursBefore);
    QCOMPARE(db->scalar("select note from accounts_dep.closed_month where year=2024 and month=4").toString(),
             QString("запись забыли внести"));
}

// A record of an open day moved in the editor into a closed month, and one of a closed month
// out of it: refused, and the record stays where it was.
void TestMonthClosing::recordMovedIntoClosedMonthIsRefused() {
    closeMarch();
    openJournal();
    const QString before = storedState(*db);
    onModal["WorkRecordEditor"] = [this] {
        childNamed<QDateEdit>(&journal->editor(), "dateEdit")->setDate(QDate(2024, 3, 20));
        clickOn(childNamed<QPushButton>(&journal->editor(), "saveButton"));
    };
    journal->click("changeButton");
    QCOMPARE(onModal.shown, QStringList{"WorkRecordEditor"});
    QCOMPARE(boxes->texts(), QStringList{closedMonthText(kMarch)});
    QCOMPARE(storedState(*db), before);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where data = '2024-04-02'").toInt(), 1);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where data = '2024-03-20'").toInt(), 0);
}

// Every write path of the program, on a closed month: a Russian refusal naming the month before
// any statement that changes rows is sent; nothing changes. Reopened, the same write goes through.
void TestMonthClosing::programRefusesEveryWrite_data() {
    QTest::addColumn<Write>("write");
    const QDate today(2024, 4, 2);
    auto newRecord = [](const QDate& day) {
        WorkRecord r;
        r.date = day;
        r.shift = 1;
        r.workerId = 3;
        r.productId = 5;
        r.operationPriceId = 42;
        r.price = 10;
        r.quantity = "2";
        r.rejects = "0";
        r.hours = "1";
        r.colour = "0";
        return r;
    };
    auto marchRecordId = [](Database& db) {
        return db.readValue("select min(id) from accounts_dep.smena where data='2024-03-04' and smena=1")
            .toInt();
    };
    QTest::newRow("work record added")
        << Write([=](Database& db) { WorkRecordStore(db).add(newRecord(QDate(2024, 3, 8)), today); });
    QTest::newRow("work record changed") << Write([=](Database& db) {
        const WorkRecord stored = storedRecord(db, marchRecordId(db));
        WorkRecord changed = stored;
        changed.hours = "9";
        WorkRecordStore(db).change(stored, changed, today);
    });
    QTest::newRow("work record moved out") << Write([=](Database& db) {
        const WorkRecord stored = storedRecord(db, marchRecordId(db));
        WorkRecord changed = stored;
        changed.date = QDate(2024, 4, 3);
        WorkRecordStore(db).change(stored, changed, today);
    });
    QTest::newRow("work record moved in") << Write([=](Database& db) {
        const WorkRecord stored = storedRecord(
            db, db.readValue("select id from accounts_dep.smena where data='2024-04-02'").toInt());
        WorkRecord changed = stored;
        changed.date = QDate(2024, 3, 28);
        WorkRecordStore(db).change(stored, changed, today);
    });
    QTest::newRow("work record deleted")
        << Write([=](Database& db) { WorkRecordStore(db).remove(storedRecord(db, marchRecordId(db))); });
    QTest::newRow("work record accepted")
        << Write([=](Database& db) { WorkRecordStore(db).setAccepted(marchRecordId(db), false); });
    QTest::newRow("maintenance entry added") << Write([](Database& db) {
        MaintenanceEntry e;
        e.workerId = 2;
        e.groupId = 2;
        e.type = kMaintenanceWork;
        e.date = QDate(2024, 3, 20);
        e.hours = 3;
        e.price = 20;
        saveMaintenanceEntry(db, e);
    });
    QTest::newRow("maintenance entry changed") << Write([this](Database& db) {
        MaintenanceEntry before = storedEntry(*this->db, QDate(2024, 3, 11));
        MaintenanceEntry after = before;
        after.hours = 2;
        saveMaintenanceEntry(db, after, &before);
    });
    QTest::newRow("maintenance entry deleted") << Write(
        [this](Database& db) { deleteMaintenanceEntry(db, storedEntry(*this->db, QDate(2024, 3, 11))); });
    QTest::newRow("shift rows rebuilt")
        << Write([](Database& db) { rebuildTimesheetRows(db, TimesheetRows::Shifts, 2024, 3); });
    QTest::newRow("maintenance rows rebuilt")
        << Write([](Database& db) { rebuildTimesheetRows(db, TimesheetRows::Maintenance, 2024, 3); });
    QTest::newRow("average rate") << Write([](Database& db) {
        Transaction transaction(db);
        computeAverageRates(transaction, db, 2024, 3);
        transaction.commit();
    });
    QTest::newRow("product deleted with its records")
        << Write([](Database& db) { deleteProduct(db, 5, false, true); });
}

void TestMonthClosing::programRefusesEveryWrite() {
    QFETCH(Write, write);
    // Hours in the rows that a rebuild would correct, so that a rebuild let through shows.
    db->exec("update accounts_dep.h_tabel set d30 = 1 where month = 3 and year = 2024");
    closeMarch();
    const QString before = storedState(*db);
    {
        SqlRecorder sent;
        try {
            write(*database);
            QFAIL("the write of a closed month went through");
        } catch (const Refusal& refusal) {
            QCOMPARE(refusal.message, closedMonthText(kMarch));
        }
        for (const QString& sql : sent.statements)
            QVERIFY2(!isWrite(sql), qPrintable(sql));
    }
    QCOMPARE(storedState(*db), before);
    QVERIFY(reopenMonth(*database, kMarch, "бухгалтер@ws-1", "исправление"));
    write(*database);
    QVERIFY(storedState(*db) != before);
}

// The server refuses the same, for a client that does not ask first: psql as the program's role.
void TestMonthClosing::serverRefusesEveryWrite_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("refused");
    const QString march = "data between '2024-03-01' and '2024-03-31'";
    QTest::newRow("work record inserted") << "insert into accounts_dep.smena (data, smena, w_id) values "
                                             "('2024-03-09', 1, 1)"
                                          << true;
    QTest::newRow("work record updated") << "update accounts_dep.smena set kol_vo = 0 where " + march << true;
    QTest::newRow("work record deleted") << "delete from accounts_dep.smena where " + march << true;
    QTest::newRow("work record moved in")
        << "update accounts_dep.smena set data = '2024-03-30' where data = '2024-04-02'" << true;
    QTest::newRow("work record moved out")
        << "update accounts_dep.smena set data = '2024-04-05' where data = '2024-03-31'" << true;
    QTest::newRow("maintenance inserted")
        << "insert into accounts_dep.fatigue (id_p, id_o, d_date, cnt) values "
           "(1, 7777, '2024-03-20', 1)"
        << true;
    QTest::newRow("maintenance updated")
        << "update accounts_dep.fatigue set cnt = 1 where d_date = '2024-03-11'" << true;
    QTest::newRow("maintenance deleted")
        << "delete from accounts_dep.fatigue where d_date = '2024-03-11'" << true;
    QTest::newRow("maintenance moved in")
        << "update accounts_dep.fatigue set d_date = '2024-03-02' where d_date = '2024-04-01'" << true;
    QTest::newRow("timesheet row inserted")
        << "insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) "
           "values (9, 3, 2024, 1, 8)"
        << true;
    QTest::newRow("timesheet row updated")
        << "update accounts_dep.h_tabel set d2 = 1 where month = 3 and year = 2024" << true;
    QTest::newRow("timesheet row deleted")
        << "delete from accounts_dep.h_tabel where month = 3 and year = 2024" << true;
    QTest::newRow("timesheet row moved out")
        << "update accounts_dep.h_tabel set month = 5 where month = 3 and year = 2024" << true;
    QTest::newRow("open month's record updated")
        << "update accounts_dep.smena set kol_vo = 4 where data = '2024-04-02'" << false;
    QTest::newRow("open month's timesheet deleted")
        << "delete from accounts_dep.h_tabel where month = 4 and year = 2024" << false;
}

void TestMonthClosing::serverRefusesEveryWrite() {
    QFETCH(QString, statement);
    QFETCH(bool, refused);
    closeMarch();
    const QString before = storedState(*db);
    QProcess psql;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PGPASSWORD", "wemblox");
    psql.setProcessEnvironment(env);
    psql.start("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", db->host(), "-U", "sys", "-d", db->name(),
                        "-c", statement});
    QVERIFY(psql.waitForFinished(30000));
    const QString err = QString::fromUtf8(psql.readAllStandardError());
    if (refused) {
        QCOMPARE(psql.exitCode(), 1);
        QVERIFY2(err.contains("Месяц 03.2024 закрыт"), qPrintable(err));
        QCOMPARE(storedState(*db), before);
    } else {
        QVERIFY2(psql.exitCode() == 0, qPrintable(err));
        QVERIFY(storedState(*db) != before);
    }
}

// Two workstations close the same month at the same moment: one row, and exactly one of them
// reports that it closed the month.
void TestMonthClosing::closingAtOnceLeavesOneRow() {
    const AtOnce closing = atTwoWorkstationsAtOnce(
        *db, [](Database& ws, int i) { return closeMonth(ws, kMarch, QStringLiteral("ws-%1").arg(i)); });
    QVERIFY(closing.bothWaited);
    const std::array<bool, 2>& closedBy = closing.returned;
    QCOMPARE(int(closedBy[0]) + int(closedBy[1]), 1);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.closed_month").toInt(), 1);
    QCOMPARE(db->scalar("select closed_by from accounts_dep.closed_month").toString(),
             QString(closedBy[0] ? "ws-0" : "ws-1"));
    QVERIFY(isMonthClosed(*database, kMarch));
}

// Two workstations reopen the same closed month at once: one of them reopens it, the other
// learns that it found it open; the reason of the one that reopened is kept.
void TestMonthClosing::reopeningAtOnceReopensOnce() {
    closeMarch();
    const AtOnce reopening = atTwoWorkstationsAtOnce(*db, [](Database& ws, int i) {
        return reopenMonth(ws, kMarch, QStringLiteral("ws-%1").arg(i), QStringLiteral("причина %1").arg(i));
    });
    QVERIFY(reopening.bothWaited);
    const std::array<bool, 2>& reopenedBy = reopening.returned;
    QCOMPARE(int(reopenedBy[0]) + int(reopenedBy[1]), 1);
    QCOMPARE(db->scalar("select note from accounts_dep.closed_month").toString(),
             QString(reopenedBy[0] ? "причина 0" : "причина 1"));
    QVERIFY(!isMonthClosed(*database, kMarch));
}

// The journal of a day of a closed month says so and has its writing buttons and the acceptance
// toggle disabled; a day of an open month has them as the role allows.
void TestMonthClosing::journalOfClosedDay_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("mayAdd");
    QTest::addColumn<bool>("mayChange");
    QTest::addColumn<bool>("mayAccept");
    QTest::newRow("full access") << "73516280" << true << true << true;
    QTest::newRow("foreman") << "fendrok" << true << false << false;
}

void TestMonthClosing::journalOfClosedDay() {
    QFETCH(QString, code);
    QFETCH(bool, mayAdd);
    QFETCH(bool, mayChange);
    QFETCH(bool, mayAccept);
    closeMarch();
    openJournal(qPrintable(code));
    journal->show();
    // The journal's own widgets (the pickers it holds have buttons of the same names).
    auto label = [this] { return childNamed<QLabel>(&journal->journal(), "monthClosedLabel"); };
    auto enabled = [this](const char* name) {
        return childNamed<QPushButton>(&journal->journal(), name)->isEnabled();
    };
    auto marks = [this](const QString& day) {
        return db
            ->scalar("select string_agg(ok, ',' order by id) from accounts_dep.smena where smena = 1 and "
                     "data = '" +
                     day + "'")
            .toString();
    };

    journal->journal().showDay(QDate(2024, 3, 4));
    journal->grid()->setCurrentIndex(journal->grid()->model()->index(0, 0));
    QVERIFY(journal->journal().monthClosed());
    QVERIFY(label()->isVisible());
    QCOMPARE(label()->text(), QString("Месяц закрыт"));
    QVERIFY(!enabled("addButton"));
    QVERIFY(!enabled("changeButton"));
    QVERIFY(!enabled("deleteButton"));
    QVERIFY(enabled("refreshButton"));
    QCOMPARE(journal->shown().recordCount(), 1);
    const QString marchMarks = marks("2024-03-04");
    journal->doubleClickCurrentRow();
    QCOMPARE(marks("2024-03-04"), marchMarks);
    QCOMPARE(boxes->texts(), QStringList());

    journal->journal().showDay(QDate(2024, 4, 2));
    journal->grid()->setCurrentIndex(journal->grid()->model()->index(0, 0));
    QVERIFY(!journal->journal().monthClosed());
    QVERIFY(!label()->isVisible());
    QCOMPARE(enabled("addButton"), mayAdd);
    QCOMPARE(enabled("changeButton"), mayChange);
    QCOMPARE(enabled("deleteButton"), mayChange);
    journal->doubleClickCurrentRow();
    QCOMPARE(marks("2024-04-02"), QString(mayAccept ? "ok" : "no"));

    // Closed at another workstation meanwhile: "Обновить" shows it.
    SecondWorkstation other(*db);
    QVERIFY(closeMonth(other.database, kApril, "ws-2"));
    journal->click("refreshButton");
    QVERIFY(label()->isVisible());
    QVERIFY(!enabled("addButton"));
}

// The maintenance works window the same: "Месяц закрыт", no button that writes, and a double
// click opens no editor; another day of an open month has them back.
void TestMonthClosing::maintenanceWindowOfClosedDay() {
    closeMarch();
    WorkersDialog workers(*database);
    NomenclatureGroupsDialog groups(*database);
    MaintenanceWorksWindow works(*database, workers, groups);
    QStringList closedState, openState;
    auto state = [&works] {
        QStringList s;
        s << (childNamed<QLabel>(&works, "monthClosedLabel")->isVisibleTo(&works) ? "label" : "no label");
        for (const char* b : {"addButton", "changeButton", "deleteButton", "averageRateButton", "exitButton"})
            s << QString("%1 %2").arg(b, childNamed<QPushButton>(&works, b)->isEnabled() ? "on" : "off");
        return s;
    };
    int rowsOfMarch = 0;
    onModal["MaintenanceWorksWindow"] = [&] {
        closedState = state();
        rowsOfMarch = works.dayList().recordCount();
        auto* grid = childNamed<QTableView>(&works, "dayGrid");
        grid->setCurrentIndex(grid->model()->index(0, 0));
        emit grid->doubleClicked(grid->currentIndex());
        childNamed<QDateEdit>(&works, "dateEdit")->setDate(QDate(2024, 4, 1));
        openState = state();
    };
    works.showDay(QDate(2024, 3, 11));
    QCOMPARE(rowsOfMarch, 2);
    QCOMPARE(closedState, QStringList({"label", "addButton off", "changeButton off", "deleteButton off",
                                       "averageRateButton off", "exitButton on"}));
    QCOMPARE(openState, QStringList({"no label", "addButton on", "changeButton on", "deleteButton on",
                                     "averageRateButton on", "exitButton on"}));
    QCOMPARE(onModal.shown, QStringList{"MaintenanceWorksWindow"});
}

// Both timesheet windows keep "Обновить" and "Excel" for a closed month but refuse "Перестроить":
// the refusal names the month and the rows stay.
void TestMonthClosing::timesheetWindowsRefuseRebuild() {
    db->exec("update accounts_dep.h_tabel set d30 = 1 where month = 3 and year = 2024");
    closeMarch();
    clock->set(QDateTime(QDate(2024, 3, 15), QTime(10, 0)));
    const QString before = timesheetRows(*db, 3, 2024);

    PieceworkTimesheetWindow piecework(*database);
    int pieceworkRows = -1;
    onModal["PieceworkTimesheetWindow"] = [&] {
        QVERIFY(childNamed<QPushButton>(&piecework, "refreshButton")->isEnabled());
        QVERIFY(childNamed<QPushButton>(&piecework, "excelButton")->isEnabled());
        clickOn(childNamed<QPushButton>(&piecework, "rebuildButton"));
        pieceworkRows = piecework.currentQuery().recordCount();
    };
    piecework.showView(PieceworkView::Maintenance);
    QCOMPARE(boxes->texts(), QStringList{closedMonthText(kMarch)});
    QVERIFY(pieceworkRows > 0);
    QCOMPARE(timesheetRows(*db, 3, 2024), before);

    boxes->clear();
    HoursTimesheetWindow hours(*database);
    onModal["HoursTimesheetWindow"] = [&] {
        QVERIFY(childNamed<QPushButton>(&hours, "refreshButton")->isEnabled());
        QVERIFY(childNamed<QPushButton>(&hours, "excelButton")->isEnabled());
        clickOn(childNamed<QPushButton>(&hours, "rebuildButton"));
    };
    hours.showMonth(QDate(2024, 3, 1));
    QCOMPARE(boxes->texts(), QStringList{closedMonthText(kMarch)});
    QCOMPARE(timesheetRows(*db, 3, 2024), before);
}

// With full access the window lists the months with records, newest first; closing asks first,
// naming the month; reopening needs a reason, which is kept.
void TestMonthClosing::closingWindowClosesAndReopens() {
    MonthClosingWindow window(*database, true);
    auto* grid = childNamed<QTableWidget>(&window, "monthsGrid");
    auto rowTexts = [grid](int row) {
        QStringList s;
        for (int c = 0; c < grid->columnCount(); ++c)
            s << grid->item(row, c)->text();
        return s;
    };
    QStringList monthsShown, afterNo, afterClose, afterEmptyReason, afterReopen;
    QString question;
    onModal["MonthClosingWindow"] = [&] {
        for (int r = 0; r < grid->rowCount(); ++r)
            monthsShown << grid->item(r, 0)->text();
        // March: the second row.
        grid->setCurrentCell(1, 0);
        QVERIFY(childNamed<QPushButton>(&window, "closeButton")->isEnabled());
        QVERIFY(!childNamed<QPushButton>(&window, "reopenButton")->isEnabled());
        boxes->answers = {QMessageBox::No};
        clickOn(childNamed<QPushButton>(&window, "closeButton"));
        afterNo = rowTexts(1);
        boxes->answers = {QMessageBox::Yes};
        clickOn(childNamed<QPushButton>(&window, "closeButton"));
        question = boxes->shown.last().text;
        afterClose = rowTexts(1);
        QVERIFY(!childNamed<QPushButton>(&window, "closeButton")->isEnabled());
        QVERIFY(childNamed<QPushButton>(&window, "reopenButton")->isEnabled());
        boxes->clear();
        childNamed<QLineEdit>(&window, "reasonEdit")->setText("   ");
        clickOn(childNamed<QPushButton>(&window, "reopenButton"));
        afterEmptyReason = rowTexts(1);
        childNamed<QLineEdit>(&window, "reasonEdit")->setText("  исправление нормы  ");
        clickOn(childNamed<QPushButton>(&window, "reopenButton"));
        afterReopen = rowTexts(1);
    };
    window.showMonths();
    QCOMPARE(monthsShown, QStringList({"04.2024", "03.2024", "02.2024"}));
    QCOMPARE(afterNo, QStringList({"03.2024", "открыт", "", "", ""}));
    QCOMPARE(question.section(u'\n', 0, 0), QString("Закрыть месяц 03.2024?"));
    QCOMPARE(afterClose.mid(0, 2), QStringList({"03.2024", "закрыт"}));
    QCOMPARE(afterClose.at(2).left(10), QDateTime::currentDateTime().toString("dd.MM.yyyy"));
    QCOMPARE(afterClose.at(3), workstationName());
    QCOMPARE(boxes->texts(), QStringList{"Укажите причину, по которой месяц открывается вновь."});
    QCOMPARE(afterEmptyReason.mid(0, 2), QStringList({"03.2024", "закрыт"}));
    QCOMPARE(afterReopen, QStringList({"03.2024", "открыт", "", workstationName(), "исправление нормы"}));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.closed_month").toInt(), 1);
}

// The other roles see the list and cannot close or reopen.
void TestMonthClosing::closingWindowShowsOthersTheListOnly() {
    closeMarch();
    const Permissions foreman = permissionsForRole(UserRole::Foreman);
    QVERIFY(!foreman.closeMonths);
    QVERIFY(permissionsForCode("0471")->closeMonths);
    MonthClosingWindow window(*database, foreman.closeMonths);
    QStringList march;
    onModal["MonthClosingWindow"] = [&] {
        auto* grid = childNamed<QTableWidget>(&window, "monthsGrid");
        for (int c = 0; c < grid->columnCount(); ++c)
            march << grid->item(1, c)->text();
        for (const char* name : {"closeButton", "reopenButton"}) {
            QVERIFY(!childNamed<QPushButton>(&window, name)->isVisibleTo(&window));
            QVERIFY(!childNamed<QPushButton>(&window, name)->isEnabled());
        }
        QVERIFY(!childNamed<QLineEdit>(&window, "reasonEdit")->isVisibleTo(&window));
    };
    window.showMonths();
    QCOMPARE(march.mid(0, 2), QStringList({"03.2024", "закрыт"}));
    QCOMPARE(march.at(2), QDateTime(QDate(2024, 4, 1), QTime(9, 30), QTimeZone(3 * 3600))
                              .toLocalTime()
                              .toString("dd.MM.yyyy hh:mm"));
    QCOMPARE(march.at(3), QString("бухгалтер@ws-1"));
}

// A database without the closing objects: the window says what the administrator must do and
// offers nothing to close; every write works as before.
void TestMonthClosing::withoutClosingObjects() {
    db->exec("drop table accounts_dep.closed_month");
    db->exec("drop function accounts_dep.refuse_closed_month_change() cascade");
    db->exec("drop function accounts_dep.closed_month_lock() cascade");
    QVERIFY(!closingInstalled(*database));
    MonthClosingWindow window(*database, true);
    QString note;
    int rows = -1;
    onModal["MonthClosingWindow"] = [&] {
        note = childNamed<QLabel>(&window, "noteLabel")->isVisibleTo(&window)
                   ? childNamed<QLabel>(&window, "noteLabel")->text()
                   : QString();
        rows = childNamed<QTableWidget>(&window, "monthsGrid")->rowCount();
        QVERIFY(!childNamed<QPushButton>(&window, "closeButton")->isEnabled());
    };
    window.showMonths();
    QVERIFY2(note.contains("closing.sql") && note.contains("psql -v ON_ERROR_STOP=1"), qPrintable(note));
    QCOMPARE(rows, 0);
    QCOMPARE(boxes->texts(), QStringList());

    openJournal();
    journal->journal().showDay(QDate(2024, 3, 4));
    QVERIFY(!journal->journal().monthClosed());
    const QString before = storedState(*db);
    rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, 3);
    WorkRecordStore(*database).setAccepted(
        database->readValue("select min(id) from accounts_dep.smena where data='2024-03-04'").toInt(), false);
    QVERIFY(storedState(*db) != before);
    QCOMPARE(closedMonths(*database).size(), size_t(0));
}

// tabel --months prints the closed months, oldest first; without the closing objects it says so.
void TestMonthClosing::monthsCommand() {
    closeMarch();
    db->exec("insert into accounts_dep.closed_month (year, month, closed_at, closed_by) values "
             "(2023, 12, '2024-01-10 12:00+03', 'ws-3'), (2024, 2, null, 'ws-4')");
    auto run = [this](QString* out, QString* err) {
        QProcess program;
        program.start(QStringLiteral(TABEL_EXECUTABLE), {"--months", db->name(), db->host()});
        if (!program.waitForFinished(60000))
            return -1;
        *out = QString::fromUtf8(program.readAllStandardOutput());
        *err = QString::fromUtf8(program.readAllStandardError());
        return program.exitCode();
    };
    QString out, err;
    QCOMPARE(run(&out, &err), 0);
    const QString at = [](const QDateTime& t) {
        return t.toLocalTime().toString("dd.MM.yyyy hh:mm");
    }(QDateTime(QDate(2024, 1, 10), QTime(12, 0), QTimeZone(3 * 3600)));
    const QString march = QDateTime(QDate(2024, 4, 1), QTime(9, 30), QTimeZone(3 * 3600))
                              .toLocalTime()
                              .toString("dd.MM.yyyy hh:mm");
    QCOMPARE(out, QString("12.2023\t%1\tws-3\n03.2024\t%2\tбухгалтер@ws-1\n").arg(at, march));
    QVERIFY2(err.isEmpty(), qPrintable(err));

    db->exec("drop table accounts_dep.closed_month cascade");
    QCOMPARE(run(&out, &err), 3);
    QVERIFY(out.isEmpty());
    QVERIFY2(err.contains("closing.sql"), qPrintable(err));
}

QTEST_MAIN(TestMonthClosing)
#include "test_month_closing.moc"
