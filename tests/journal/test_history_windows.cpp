// The change log as the windows show it, on a real server: a change saved in the editor leaves
// one log row and "История" shows it; the change list filters by period, worker, user and kind,
// restores a deleted record once and refuses a second time; other roles only look; without the
// log in the database the windows say what the administrator must do and the journal works.
#include "EditorFixture.h"
#include "JournalUnderTest.h"
#include "data/Database.h"
#include "history/ChangeLogWindow.h"
#include "history/RecordHistoryDialog.h"
#include "maintenance/MaintenanceWorksWindow.h"
#include "records/ChangeLog.h"
#include "records/MaintenanceEntry.h"
#include "records/TimesheetRebuild.h"
#include "records/WorkRecordStore.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "support/TestSupport.h"
#include "ui/DateBox.h"
#include "ui/Permissions.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace {

// The rows of the versions grid as "Что|Поле|Было|Стало" lines.
QStringList versionLines(QTableWidget* grid) {
    QStringList lines;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c : {3, 4, 5, 6})
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        lines << cells.join(u'|');
    }
    return lines;
}

// Types the date into the box as a user does: the box focused, from its first part on.
void typeDate(DateBox* box, const QDate& day) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClicks(box, day.toString(QStringLiteral("ddMMyyyy")));
    QTest::keyClick(box, Qt::Key_Tab);
}

} // namespace

class TestHistoryWindows : public EditorTestCase {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void editorChangeIsLoggedAndShown();
    void changeListFiltersAndRestores();
    void otherRolesOnlyLook();
    void maintenanceEntryHistory();
    void withoutHistoryObjects();
    void historyCommand_data();
    void historyCommand();

private:
    int aprilRecord() {
        return db->scalar("select id from accounts_dep.smena where data='2024-04-02'").toInt();
    }
    // Sets the change list's filters and reads it: the period typed into its date boxes.
    void filterList(ChangeLogWindow& window, const QString& worker, const QString& user, const QString& kind);
};

void TestHistoryWindows::init() {
    setUpEditorTest();
}

void TestHistoryWindows::cleanup() {
    setSessionUser({});
    tearDownEditorTest();
}

void TestHistoryWindows::filterList(ChangeLogWindow& window, const QString& worker, const QString& user,
                                    const QString& kind) {
    const QDate today = QDate::currentDate(); // the server's clock writes the log
    typeDate(childNamed<DateBox>(&window, "fromEdit"), today.addDays(-1));
    typeDate(childNamed<DateBox>(&window, "toEdit"), today);
    clickOn(childNamed<QPushButton>(&window, "refreshButton")); // the filters fill from the period's log
    auto choose = [&](const char* name, const QString& text) {
        QComboBox* box = childNamed<QComboBox>(&window, name);
        box->setCurrentIndex(text.isEmpty() ? 0 : box->findText(text));
        QVERIFY2(box->currentIndex() >= 0, qPrintable(text));
    };
    choose("workerCombo", worker);
    choose("userCombo", user);
    choose("kindCombo", kind);
    clickOn(childNamed<QPushButton>(&window, "refreshButton"));
}

// The editor's "Запись" after a changed quantity: one row with both versions and the user's name;
// "История" on the record shows the change with the grid's field titles.
void TestHistoryWindows::editorChangeIsLoggedAndShown() {
    setSessionUser(QStringLiteral("Сидорова А.А."));
    openJournal();
    const int id = aprilRecord();
    const int before = db->scalar("select count(*) from accounts_dep.change_log").toInt();
    onModal.onScreen = true;
    onModal["WorkRecordEditor"] = [this] {
        QLineEdit* quantity = childNamed<QLineEdit>(&journal->editor(), "quantityEdit");
        quantity->setFocus();
        quantity->selectAll();
        QTest::keyClicks(quantity, "9");
        QTest::mouseClick(childNamed<QPushButton>(&journal->editor(), "saveButton"), Qt::LeftButton);
    };
    journal->click("changeButton");
    QCOMPARE(boxes->texts(), QStringList());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.change_log").toInt(), before + 1);
    QCOMPARE(db->scalar(QStringLiteral("select concat_ws('|', user_name, action, old_row->>'kol_vo', "
                                       "new_row->>'kol_vo') from accounts_dep.change_log where row_id=%1 "
                                       "order by id desc limit 1")
                            .arg(id))
                 .toString(),
             QString("Сидорова А.А.|changed|3|9"));

    QStringList lines;
    QString title;
    onModal["RecordHistoryDialog"] = [&, this] {
        auto* dialog = journal->findChild<RecordHistoryDialog*>();
        title = dialog->windowTitle();
        lines = versionLines(childNamed<QTableWidget>(dialog, "versionsGrid"));
    };
    journal->click("historyButton");
    QVERIFY2(title.contains("Борисов"), qPrintable(title));
    QVERIFY2(lines.size() >= 2 && lines.first().startsWith("добавлена|"), qPrintable(lines.join('\n')));
    QCOMPARE(lines.last(), QString("изменена|Кол-во|3|9"));
}

// The change list of a period by worker, user and kind; the deleted record restored once, with its
// hours; a second restore refused with a message.
void TestHistoryWindows::changeListFiltersAndRestores() {
    const int id = aprilRecord();
    rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, 4);
    const QString hours = "select d2 from accounts_dep.h_tabel where w_id=2 and month=4 and smena=1";
    QCOMPARE(db->scalar(hours).toInt(), 4);
    setSessionUser(QStringLiteral("Петрова"));
    Dataset stored(nullptr, database->connection().name());
    stored.setSql(
        QStringLiteral("select id, data, smena, w_id, i_id, o_id, cena, kol_vo::numeric, brak, time, "
                       "color from accounts_dep.smena where id=:id"));
    stored.setParam(QStringLiteral("id"), id);
    stored.open();
    WorkRecordStore(*database).remove(WorkRecord::fromStoredRow(stored));
    QCOMPARE(db->scalar(hours).toInt(), 0);
    setSessionUser(QStringLiteral("Кузнецова"));

    ChangeLogWindow window(*database, true);
    window.setFont(QFont(QStringLiteral("Tahoma"), 8));
    QStringList kinds[4];
    QStringList restoreTexts;
    onModal.onScreen = true;
    onModal["ChangeLogWindow"] = [&, this] {
        auto kindsShown = [&] {
            QStringList shown;
            for (int r = 0; r < window.changes().recordCount(); ++r)
                shown << window.changes().valueAt(r, QStringLiteral("kind")).toString();
            return shown;
        };
        filterList(window, QString(), QString(), QString());
        kinds[0] = kindsShown();
        filterList(window, QStringLiteral("Борисов Б.Б."), QString(), QString());
        kinds[1] = kindsShown();
        filterList(window, QString(), QStringLiteral("Петрова"), QString());
        kinds[2] = kindsShown();
        filterList(window, QString(), QString(), QStringLiteral("удалена"));
        kinds[3] = kindsShown();
        QTableView* grid = childNamed<QTableView>(&window, "changesGrid");
        grid->setCurrentIndex(grid->model()->index(0, 0));
        clickOn(childNamed<QPushButton>(&window, "restoreButton"));
        restoreTexts = boxes->texts();
        boxes->clear();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        clickOn(childNamed<QPushButton>(&window, "restoreButton"));
    };
    window.showChanges();
    // The fixture's rows were written by the superuser before; the deletion by Петрова.
    QVERIFY2(kinds[0].size() >= 2 && kinds[0].first() == "удалена", qPrintable(kinds[0].join(',')));
    QCOMPARE(kinds[1].first(), QString("удалена"));
    QVERIFY(kinds[1].size() < kinds[0].size());
    QCOMPARE(kinds[2], QStringList{"удалена"});
    QCOMPARE(kinds[3], QStringList{"удалена"});
    QCOMPARE(restoreTexts.size(), 2); // the question, then the answer
    QVERIFY2(restoreTexts.first().contains("Восстановить"), qPrintable(restoreTexts.join('\n')));
    QCOMPARE(restoreTexts.last(), QString("Запись восстановлена."));
    QCOMPARE(boxes->texts().size(), 2);
    QVERIFY2(boxes->texts().last().contains("уже восстановлена"), qPrintable(boxes->texts().join('\n')));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where id=" + QString::number(id)).toInt(),
             1);
    QCOMPARE(db->scalar(hours).toInt(), 4);
    QCOMPARE(
        db->scalar("select user_name || ' ' || action from accounts_dep.change_log order by id desc limit 1")
            .toString(),
        QString("Кузнецова added"));
}

// Without full access the list and the versions, but no restoring.
void TestHistoryWindows::otherRolesOnlyLook() {
    const std::optional<Permissions> analyst = permissionsForCode(QStringLiteral("plutvi"));
    QVERIFY(!analyst->restoreRecords);
    ChangeLogWindow window(*database, analyst->restoreRecords);
    bool restoreShown = true;
    int rows = -1;
    onModal["ChangeLogWindow"] = [&] {
        restoreShown = childNamed<QPushButton>(&window, "restoreButton")->isVisibleTo(&window);
        filterList(window, QString(), QString(), QString());
        rows = window.changes().recordCount();
        window.restoreCurrent();
    };
    window.showChanges();
    QVERIFY(!restoreShown);
    QVERIFY(rows > 0);
    QCOMPARE(boxes->texts(), QStringList());
}

// "История" of a maintenance entry in the maintenance works window.
void TestHistoryWindows::maintenanceEntryHistory() {
    MaintenanceEntry entry;
    entry.workerId = 1;
    entry.groupId = 2;
    entry.type = kMaintenanceWork;
    entry.date = QDate(2024, 4, 2);
    entry.hours = 6;
    entry.price = 20;
    saveMaintenanceEntry(*database, entry);
    entry.id = db->scalar("select max(id) from accounts_dep.fatigue").toInt();
    MaintenanceEntry changed = entry;
    changed.hours = 7;
    saveMaintenanceEntry(*database, changed, &entry);
    WorkersDialog workers(*database);
    NomenclatureGroupsDialog groups(*database);
    MaintenanceWorksWindow window(*database, workers, groups);
    QStringList lines;
    onModal["MaintenanceWorksWindow"] = [&] {
        Dataset& list = window.dayList();
        QVERIFY(list.locate(QStringLiteral("id"), entry.id));
        onModal["RecordHistoryDialog"] = [&] {
            lines = versionLines(
                childNamed<QTableWidget>(window.findChild<RecordHistoryDialog*>(), "versionsGrid"));
        };
        clickOn(childNamed<QPushButton>(&window, "historyButton"));
    };
    window.showDay(QDate(2024, 4, 2));
    QVERIFY2(lines.size() >= 2, qPrintable(lines.join('\n')));
    QCOMPARE(lines.last(), QString("изменена|Кол-во|6|7"));
}

// Without db/history.sql the windows say what to apply and the journal saves as before.
void TestHistoryWindows::withoutHistoryObjects() {
    db->exec("drop table accounts_dep.change_log cascade");
    db->exec("drop function accounts_dep.log_row_change() cascade");
    db->exec("drop function accounts_dep.log_bulk_change(text, text, jsonb, jsonb) cascade");
    QVERIFY(!historyInstalled(*database));
    ChangeLogWindow window(*database, true);
    QString note;
    onModal["ChangeLogWindow"] = [&] {
        QLabel* label = childNamed<QLabel>(&window, "noteLabel");
        note = label->isVisibleTo(&window) ? label->text() : QString();
        QVERIFY(!childNamed<QPushButton>(&window, "exportButton")->isEnabled());
    };
    window.showChanges();
    QVERIFY2(note.contains("db/history.sql"), qPrintable(note));

    openJournal();
    QString historyNote;
    onModal["RecordHistoryDialog"] = [&, this] {
        QLabel* label = childNamed<QLabel>(journal->findChild<RecordHistoryDialog*>(), "noteLabel");
        historyNote = label->isVisibleTo(label->window()) ? label->text() : QString();
    };
    journal->click("historyButton");
    QVERIFY2(historyNote.contains("db/history.sql"), qPrintable(historyNote));
    QCOMPARE(boxes->texts(), QStringList());
    // The writes and the rebuild work without the log.
    rebuildTimesheetRows(*database, TimesheetRows::Shifts, 2024, 4);
    WorkRecordStore(*database).setAccepted(aprilRecord(), true);
    QCOMPARE(db->scalar("select ok from accounts_dep.smena where data='2024-04-02'").toString(),
             QString("ok"));
}

// tabel --history: the list of a period into a file; bad dates exit 2; no log exits 3.
void TestHistoryWindows::historyCommand_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("dropLog");
    QTest::addColumn<int>("exitCode");
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    QTest::newRow("written") << QStringList{"--from", today, "--to", today} << false << 0;
    QTest::newRow("day without zero") << QStringList{"--from", "1.04.2024", "--to", today} << false << 2;
    QTest::newRow("no such day") << QStringList{"--from", "31.02.2024", "--to", today} << false << 2;
    QTest::newRow("reversed") << QStringList{"--from", today, "--to", "01.01.2024"} << false << 2;
    QTest::newRow("no log") << QStringList{"--from", today, "--to", today} << true << 3;
}

void TestHistoryWindows::historyCommand() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, dropLog);
    QFETCH(int, exitCode);
    if (dropLog)
        db->exec("drop table accounts_dep.change_log cascade");
    const QString file = QDir::temp().filePath(
        QStringLiteral("tabel_history_%1.xlsx").arg(QCoreApplication::applicationPid()));
    QFile::remove(file);
    QProcess program;
    program.start(QStringLiteral(TABEL_EXECUTABLE),
                  QStringList{"--history"} + arguments + QStringList{"--xlsx", file, db->name(), db->host()});
    QVERIFY(program.waitForFinished(60000));
    const QString err = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(program.exitCode() == exitCode, qPrintable(err));
    QCOMPARE(QFileInfo(file).size() > 0, exitCode == 0);
    if (exitCode == 2)
        QVERIFY2(err.contains("Использование: tabel --history"), qPrintable(err));
    if (dropLog)
        QVERIFY2(err.contains("db/history.sql"), qPrintable(err));
    QFile::remove(file);
}

QTEST_MAIN(TestHistoryWindows)
#include "test_history_windows.moc"
