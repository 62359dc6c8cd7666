// The journal on a real database: activation and the day-off rule, shift selection, the acceptance
// colours and toggle, deletion with the hours correction; and, in the main window, the first
// showing and the return from a window it opens.
#include "JournalUnderTest.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "data/Database.h"
#include "support/TestSupport.h"
#include "ui/DatasetGrid.h"
#include "ui/Permissions.h"
#include "ui/Seams.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <QTimer>

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void activationAndDayOff_data();
    void activationAndDayOff();
    void choosingAWorkdayUnchecksDayOff();
    void shiftSelection();
    void acceptanceColours();
    void acceptanceToggle_data();
    void acceptanceToggle();
    void deleteCorrectsHours();
    void deleteQuestionNamesTheRecordAndEnterKeepsIt();
    void deleteAnsweredNoSendsNothing();
    void emptyJournalIgnoresActions();
    void dayAndRowSurviveMessageBoxesAndOtherWindows();
    void everyWayOfChoosingADayRereads_data();
    void everyWayOfChoosingADayRereads();
    void moneyShowsTwoDecimals();
    void returnFromAWindowShowsToday_data();
    void returnFromAWindowShowsToday();
    void totalsFollowTheDayTheRowAndTheFilter();
    void acceptWholeShift_data();
    void acceptWholeShift();

private:
    // The journal as the given access code opens it.
    void openWindow(const QString& code = "73516280");
    // The main window in place of the journal alone.
    void openMainWindow();
    // The window the tests look into: the main window where one is open, or the journal.
    QWidget* shownWindow() const {
        return mainWindow ? static_cast<QWidget*>(mainWindow) : &window->journal();
    }
    QDateEdit* dateEdit() const { return childNamed<QDateEdit>(shownWindow(), "dateEdit"); }
    QCheckBox* dayOffCheck() const { return childNamed<QCheckBox>(shownWindow(), "dayOffCheck"); }
    QTableView* grid() const { return childNamed<QTableView>(shownWindow(), "journalGrid"); }
    QRadioButton* shiftButton(const char* name) const {
        return childNamed<QRadioButton>(shownWindow(), name);
    }
    // The journal query of the shift shown: the grid's rows.
    Dataset& shownJournal() const { return *shownDataset(grid()); }
    void addRecord(int worker, int shift, int hours, const QString& ok, const QString& day = "07.12.2026");
    int recordId(int worker, int hours);
    TestDatabase* db = nullptr;
    Database* database = nullptr;
    JournalUnderTest* window = nullptr;
    MainWindow* mainWindow = nullptr;
    MessageRecorder* boxes = nullptr;
    EndRecorder* ends = nullptr;
    FixedClock* clock = nullptr;
};

static const QDate kMonday(2026, 12, 7);

void TestJournal::init() {
    db = new TestDatabase;
    boxes = new MessageRecorder;
    ends = new EndRecorder;
    clock = new FixedClock(QDateTime(kMonday, QTime(9, 0)));
    db->exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван'), (18, 'Петров Пётр')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (5, 'A-12', 1.5)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0)");
    database = db->openDatabase();
    openWindow();
}

void TestJournal::openWindow(const QString& code) {
    delete window;
    window = new JournalUnderTest(*database, *permissionsForCode(code));
}

void TestJournal::openMainWindow() {
    delete window;
    window = nullptr;
    mainWindow = new MainWindow(*database, *permissionsForCode("73516280"));
}

void TestJournal::cleanup() {
    delete window;
    window = nullptr;
    delete mainWindow;
    mainWindow = nullptr;
    delete clock;
    delete ends;
    delete boxes;
    delete db;
}

void TestJournal::addRecord(int worker, int shift, int hours, const QString& ok, const QString& day) {
    db->exec(
        QString("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "
                "time, ok, vvod, prize) values ('%1', %2, %3, 5, 42, 12.5, 10, 0, 0, %4, '%5', '%1', 0)")
            .arg(day)
            .arg(shift)
            .arg(worker)
            .arg(hours)
            .arg(ok));
}

int TestJournal::recordId(int worker, int hours) {
    return db
        ->scalar(
            QString("select id from accounts_dep.smena where w_id=%1 and time=%2").arg(worker).arg(hours))
        .toInt();
}

void TestJournal::activationAndDayOff_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("checkedBefore");
    QTest::addColumn<bool>("checkedAfter");
    QTest::newRow("Saturday checks") << QDate(2026, 12, 12) << false << true;
    QTest::newRow("Sunday checks") << QDate(2026, 12, 13) << false << true;
    QTest::newRow("Monday leaves it unchecked") << kMonday << false << false;
    QTest::newRow("Monday leaves it checked") << kMonday << true << true;
}

void TestJournal::activationAndDayOff() {
    QFETCH(QDate, today);
    QFETCH(bool, checkedBefore);
    QFETCH(bool, checkedAfter);
    addRecord(17, 1, 8, "no", today.toString("dd.MM.yyyy"));
    dateEdit()->setDate(QDate(2026, 1, 5));
    dayOffCheck()->setChecked(checkedBefore);
    clock->set(QDateTime(today, QTime(8, 0)));
    window->journal().showToday();
    QCOMPARE(dateEdit()->date(), today);
    QCOMPARE(dayOffCheck()->isChecked(), checkedAfter);
    QCOMPARE(dayOffCheck()->font().bold(), checkedAfter);
    QCOMPARE(dayOffCheck()->palette().color(QPalette::Window) == QColor(255, 0, 0), checkedAfter);
    QCOMPARE(shownJournal().recordCount(), 1);
    QCOMPARE(grid()->model()->rowCount(), 1);
    QCOMPARE(grid()->model()->index(0, 0).data().toString(), QString("Иванов Иван"));
}

void TestJournal::choosingAWorkdayUnchecksDayOff() {
    clock->set(QDateTime(QDate(2026, 12, 12), QTime(8, 0)));
    window->journal().showToday();
    QVERIFY(dayOffCheck()->isChecked());
    addRecord(17, 1, 8, "no");
    dateEdit()->setDate(kMonday);
    QVERIFY(!dayOffCheck()->isChecked());
    QVERIFY(!dayOffCheck()->font().bold());
    QCOMPARE(shownJournal().recordCount(), 1);
}

void TestJournal::shiftSelection() {
    addRecord(17, 1, 8, "no");
    addRecord(18, 3, 6, "no");
    addRecord(17, 3, 2, "no");
    window->journal().showToday();
    QSignalSpy days(&window->journal(), &JournalView::dayChanged);
    QRadioButton* third = shiftButton("shift3Button");
    clickOn(third, QPoint(5, third->height() / 2));
    QCOMPARE(window->journal().day().shift, 3);
    // The journal says which day and shift it shows now.
    QCOMPARE(days.size(), 1);
    QCOMPARE(days.first().first().value<JournalDay>().shift, 3);
    QCOMPARE(days.first().first().value<JournalDay>().date, kMonday);
    QCOMPARE(shownJournal().sql(), Database::journalSql(3));
    QCOMPARE(grid()->model()->rowCount(), 2);
    QVERIFY(shiftButton("shift3Button")->font().bold());
    QCOMPARE(shiftButton("shift3Button")->palette().color(QPalette::Window), QColor(0, 128, 0));
    for (QRadioButton* other :
         {shiftButton("shift1Button"), shiftButton("shift2Button"), shiftButton("overtimeButton")})
        QVERIFY(!other->font().bold());
    // Moving in the grid moves the shift's query.
    grid()->setCurrentIndex(grid()->model()->index(1, 0));
    QCOMPARE(shownJournal().recNo(), 2);
}

void TestJournal::acceptanceColours() {
    addRecord(17, 1, 1, "ok");
    addRecord(17, 1, 2, "да");
    addRecord(17, 1, 3, "no");
    addRecord(17, 1, 4, "xx");
    window->journal().showToday();
    QAbstractItemModel* model = grid()->model();
    int okColumn = -1;
    for (int i = 0; i < model->columnCount(); ++i)
        if (model->headerData(i, Qt::Horizontal).toString() == "OK")
            okColumn = i;
    QVERIFY(okColumn >= 0);
    QCOMPARE(model->rowCount(), 4);
    for (int r = 0; r < 4; ++r) {
        const QModelIndex idx = model->index(r, okColumn);
        const QString mark = idx.data().toString();
        const QColor expected = (mark == "ok" || mark == "да") ? QColor(0, 128, 0) : QColor(255, 0, 0);
        QCOMPARE(idx.data(Qt::ForegroundRole).value<QColor>(), expected);
        QVERIFY(idx.data(Qt::FontRole).value<QFont>().bold());
        // On the selected row the mark keeps its colour.
        grid()->setCurrentIndex(idx);
        QStyleOptionViewItem option;
        option.initFrom(grid());
        option.state |= QStyle::State_Selected;
        auto* delegate = static_cast<QStyledItemDelegate*>(grid()->itemDelegateForIndex(idx));
        QPixmap cellPicture(60, 20);
        QPainter painter(&cellPicture);
        option.rect = QRect(0, 0, 60, 20);
        delegate->paint(&painter, option, idx);
        painter.end();
        const QImage picture = cellPicture.toImage();
        bool markColourFound = false;
        for (int y = 0; y < picture.height() && !markColourFound; ++y)
            for (int x = 0; x < picture.width() && !markColourFound; ++x)
                markColourFound = picture.pixelColor(x, y) == expected;
        QVERIFY2(markColourFound, qPrintable(mark));
    }
}

void TestJournal::acceptanceToggle_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("no becomes ok") << "73516280"
                                   << "no"
                                   << "ok";
    QTest::newRow("да becomes no") << "wirbo"
                                   << "да"
                                   << "no";
    QTest::newRow("ok becomes no") << "0471"
                                   << "ok"
                                   << "no";
    QTest::newRow("other text becomes ok") << "plutvi"
                                           << "xx"
                                           << "ok";
    QTest::newRow("the foreman changes nothing") << "fendrok"
                                                 << "no"
                                                 << "no";
}

void TestJournal::acceptanceToggle() {
    QFETCH(QString, code);
    QFETCH(QString, before);
    QFETCH(QString, after);
    addRecord(17, 1, 8, "no");
    addRecord(18, 1, 4, before);
    openWindow(code);
    window->journal().showToday();
    QVERIFY(shownJournal().locate("w_id", 18));
    const int row = shownJournal().recNo();
    window->doubleClickCurrentRow();
    QCOMPARE(db->scalar(QString("select trim(ok) from accounts_dep.smena where id=%1").arg(recordId(18, 4)))
                 .toString(),
             after);
    QCOMPARE(shownJournal().recNo(), row);
    QCOMPARE(shownJournal().fieldByName("ok").asString().trimmed(), after);
}

void TestJournal::deleteCorrectsHours() {
    addRecord(17, 1, 8, "no");
    addRecord(17, 1, 4, "no");
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d6, d7) values (17, 12, 2026, 1, "
             "5, 12)");
    window->journal().showToday();
    QVERIFY(shownJournal().locate("time", 8));
    window->click("deleteButton");
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].caption, QString("Удаление"));
    QCOMPARE(boxes->shown[0].text, QString("Удалить позицию из списка?"));
    QCOMPARE(shownJournal().recordCount(), 1);
    QCOMPARE(db->scalar("select d7 from accounts_dep.h_tabel").toInt(), 4);
    QCOMPARE(db->scalar("select d6 from accounts_dep.h_tabel").toInt(), 5);
    window->click("deleteButton");
    QCOMPARE(shownJournal().recordCount(), 0);
    QCOMPARE(db->scalar("select d7 from accounts_dep.h_tabel").toInt(), 0);
    QCOMPARE(db->scalar("select d6 from accounts_dep.h_tabel").toInt(), 5);
}

// The real question names the record and has «Нет» as its default: Enter keeps the record.
void TestJournal::deleteQuestionNamesTheRecordAndEnterKeepsIt() {
    addRecord(17, 1, 8, "no");
    window->journal().showToday();
    const QString fio = shownJournal().fieldByName("fio").asString().trimmed();
    seams::setMessageHandler({}); // the box as the user sees it
    QString detail;
    bool noIsDefault = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        detail = box->informativeText();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        QTest::keyClick(box, Qt::Key_Return);
    });
    window->click("deleteButton");
    delete boxes;
    boxes = new MessageRecorder;
    QVERIFY(noIsDefault);
    QVERIFY2(detail.contains(fio) && detail.contains("10 шт."), qPrintable(detail));
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 1);
    QCOMPARE(shownJournal().recordCount(), 1);
}

void TestJournal::deleteAnsweredNoSendsNothing() {
    addRecord(17, 1, 8, "no");
    window->journal().showToday();
    boxes->answers << QMessageBox::No;
    SqlRecorder sql;
    window->click("deleteButton");
    QVERIFY(sql.statements.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 1);
}

void TestJournal::emptyJournalIgnoresActions() {
    window->journal().showToday();
    SqlRecorder sql;
    window->click("deleteButton");
    window->doubleClickCurrentRow();
    QVERIFY(sql.statements.isEmpty());
    QVERIFY(boxes->shown.isEmpty());
}

// Only the first showing and the return from a window the journal opened go back to today: a
// message box over the journal, the delete question answered No, and another window activated
// and left leave the chosen day and the selected row alone, so the next "Удалить" acts on the
// row the user sees.
void TestJournal::dayAndRowSurviveMessageBoxesAndOtherWindows() {
    for (int hours : {1, 2, 3})
        addRecord(17, 1, hours, "no", "04.12.2026");
    addRecord(18, 1, 9, "no");
    openMainWindow();
    MainWindow* window = mainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE(shownJournal().recordCount(), 1); // the first showing reads today
    dateEdit()->setDate(QDate(2026, 12, 4));
    QCOMPARE(shownJournal().recordCount(), 3);
    grid()->setCurrentIndex(grid()->model()->index(1, 0));
    const int chosenId = shownJournal().fieldByName("id").asInteger();

    // A real message box over the journal, closed with Enter.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyEvent(QTest::Click, box, Qt::Key_Return);
    });
    QMessageBox::information(window, "Табель", "Проверка");
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The delete question answered No.
    boxes->answers << QMessageBox::No;
    clickOn(childNamed<QPushButton>(window, "deleteButton"));
    // Another program's window activated, then the journal again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCoreApplication::processEvents();

    QCOMPARE(dateEdit()->date(), QDate(2026, 12, 4));
    QCOMPARE(shownJournal().recNo(), 2);
    boxes->answers << QMessageBox::Yes;
    clickOn(childNamed<QPushButton>(window, "deleteButton"));
    QCOMPARE(db->scalar(QString("select count(*) from accounts_dep.smena where id=%1").arg(chosenId)).toInt(),
             0);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 3);
}

void TestJournal::everyWayOfChoosingADayRereads_data() {
    QTest::addColumn<QString>("keys"); // typed into the date box; "<calendar>" uses the calendar
    QTest::addColumn<QDate>("shown");
    QTest::newRow("the day typed, Enter") << "04" << QDate(2026, 12, 4);
    QTest::newRow("the whole date typed, Enter") << "05122026" << QDate(2026, 12, 5);
    QTest::newRow("calendar by keyboard: Left, Enter") << "<calendar>" << QDate(2026, 12, 6);
}

void TestJournal::everyWayOfChoosingADayRereads() {
    QFETCH(QString, keys);
    QFETCH(QDate, shown);
    addRecord(17, 1, 8, "no", shown.toString("dd.MM.yyyy"));
    addRecord(18, 1, 4, "no", shown.toString("dd.MM.yyyy"));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // As the main window does at its first showing.
    window->journal().showToday();
    QCOMPARE(dateEdit()->date(), kMonday);
    QCOMPARE(shownJournal().recordCount(), 0);
    // A click into the day part, as a user starts typing a date.
    auto* dateText = dateEdit()->findChild<QLineEdit*>();
    clickOn(dateText, QPoint(6, dateText->height() / 2));
    if (keys == "<calendar>") {
        // The calendar opened with the mouse on its arrow, the day chosen with the keyboard.
        clickOn(dateEdit(), QPoint(dateEdit()->width() - 8, dateEdit()->height() / 2));
        QWidget* calendar = QApplication::focusWidget();
        QVERIFY(calendar && calendar != dateEdit());
        QTest::keyEvent(QTest::Click, calendar, Qt::Key_Left);
        QTest::keyEvent(QTest::Click, calendar, Qt::Key_Return);
    } else {
        for (QChar c : keys)
            QTest::keyEvent(QTest::Click, QApplication::focusWidget(), c.toLatin1());
        QTest::keyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(dateEdit()->date(), shown);
    QCOMPARE(shownJournal().param("data").toDate(), shown);
    QCOMPARE(shownJournal().recordCount(), 2);
}

void TestJournal::moneyShowsTwoDecimals() {
    addRecord(17, 1, 8, "no"); // 10 pieces at 12.5: 125
    window->journal().showToday();
    QAbstractItemModel* model = grid()->model();
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal).toString() == "Итого (р.)")
            QCOMPARE(model->index(0, c).data().toString(), QLocale().toString(125.0, 'f', 2));
}

void TestJournal::returnFromAWindowShowsToday_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("workers") << "workersAction";
    QTest::newRow("summary reports") << "summaryReportsAction";
    QTest::newRow("piece-work timesheet") << "pieceworkTimesheetAction";
    QTest::newRow("hours timesheet") << "shiftTimesheetAction";
}

// Back from a window the journal opened, the journal shows the computer's date again.
void TestJournal::returnFromAWindowShowsToday() {
    QFETCH(QString, action);
    openMainWindow();
    ModalScript windows;
    windows.install();
    dateEdit()->setDate(QDate(2026, 12, 4));
    QCOMPARE(mainWindow->journal().shiftJournal(1).param("data").toDate(), QDate(2026, 12, 4));
    childNamed<QAction>(mainWindow, action)->trigger();
    QCOMPARE(windows.shown.size(), 1);
    QCOMPARE(dateEdit()->date(), kMonday);
    QCOMPARE(mainWindow->journal().shiftJournal(1).param("data").toDate(), kMonday);
    seams::setModalHandler({});
}

// Under the grid: the day's and shift's records, hours, pieces and amount, and those of the
// current row's worker; they follow a click on another row, the filter typed by worker or by
// product, and a record changed elsewhere once the journal is refreshed.
void TestJournal::totalsFollowTheDayTheRowAndTheFilter() {
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (6, 'Б-3', 1)");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (43, 3, 6, 0, 0)");
    addRecord(17, 1, 8, "no");
    addRecord(17, 1, 4, "ok");
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, "
        "ok, vvod, prize) values ('07.12.2026', 1, 18, 6, 43, 3, 20, 2, 0, 2, 'no', '07.12.2026', 0)");
    addRecord(18, 2, 7, "no"); // another shift
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->journal().showToday();
    auto money = [](QString s) { return s.replace('.', QLocale().decimalPoint()); };
    // Keys typed one by one, Cyrillic letters included.
    auto typeText = [](QWidget* w, const QString& text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    };
    auto* totals = childNamed<QLabel>(window, "totalsLabel");
    const QString allOfTheShift = "Всего за смену: записей 3, часов 14, кол-во 40, сумма " + money("304.00");
    QVERIFY2(totals->text().startsWith(allOfTheShift), qPrintable(totals->text()));
    // A click on Петров's row.
    QVERIFY(shownJournal().locate("w_id", 18));
    const int row = shownJournal().recNo() - 1;
    shownJournal().first();
    clickOn(grid()->viewport(), grid()->visualRect(grid()->model()->index(row, 0)).center());
    QCOMPARE(shownJournal().fieldByName("w_id").asInteger(), 18);
    QVERIFY2(totals->text().endsWith("Петров Пётр: записей 1, часов 2, кол-во 20, сумма " + money("54.00")),
             qPrintable(totals->text()));
    // The filter by worker, typed.
    auto* filter = childNamed<QLineEdit>(window, "filterEdit");
    clickOn(filter);
    typeText(filter, "иван");
    QCOMPARE(grid()->model()->rowCount(), 2);
    QVERIFY2(totals->text().startsWith("Отобрано: записей 2, часов 12, кол-во 20, сумма " + money("250.00")),
             qPrintable(totals->text()));
    // By product: "б-3" is Петров's record alone.
    auto* field = childNamed<QComboBox>(window, "filterFieldBox");
    field->setCurrentIndex(field->findText("Изделие"));
    filter->setFocus();
    filter->selectAll();
    typeText(filter, "б-3");
    QCOMPARE(grid()->model()->rowCount(), 1);
    QCOMPARE(shownJournal().fieldByName("w_id").asInteger(), 18);
    // The filter stays over a refresh; the totals take in what changed elsewhere.
    db->exec("update accounts_dep.smena set kol_vo=30 where w_id=18 and smena=1");
    window->click("refreshButton");
    QCOMPARE(grid()->model()->rowCount(), 1);
    QVERIFY2(totals->text().startsWith("Отобрано: записей 1, часов 2, кол-во 30, сумма " + money("84.00")),
             qPrintable(totals->text()));
    // Cleared, every record of the shift is back.
    filter->clear();
    QCOMPARE(grid()->model()->rowCount(), 3);
}

void TestJournal::acceptWholeShift_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<int>("answer");
    QTest::newRow("full access, yes") << "73516280" << true << int(QMessageBox::Yes);
    QTest::newRow("full access, no") << "73516280" << true << int(QMessageBox::No);
    QTest::newRow("storekeeper, yes") << "wirbo" << true << int(QMessageBox::Yes);
    QTest::newRow("foreman") << "fendrok" << false << int(QMessageBox::Yes);
    QTest::newRow("analyst") << "plutvi" << false << int(QMessageBox::Yes);
}

// "Принять смену" accepts every record of the day's shift at once, after a question that names
// their count; the other shifts and days stay as they were. Who may not toggle acceptance finds
// the button off.
void TestJournal::acceptWholeShift() {
    QFETCH(QString, code);
    QFETCH(bool, allowed);
    QFETCH(int, answer);
    addRecord(17, 1, 8, "no");
    addRecord(18, 1, 4, "ok");
    addRecord(18, 1, 3, "no");
    addRecord(17, 2, 8, "no");
    addRecord(17, 1, 8, "no", "08.12.2026");
    openWindow(code);
    window->journal().showToday();
    auto* button = childNamed<QPushButton>(window, "acceptShiftButton");
    QCOMPARE(button->isEnabled(), allowed);
    boxes->answers << QMessageBox::StandardButton(answer);
    clickOn(button);
    const bool accepted = allowed && answer == QMessageBox::Yes;
    if (allowed)
        QCOMPARE(boxes->texts(),
                 QStringList{"Принять все непринятые записи смены №1 за 07.12.2026? Записей: 2."});
    else
        QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where trim(ok)='ok'").toInt(),
             accepted ? 3 : 1);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where trim(ok)='no' and (smena=2 or "
                        "data='08.12.2026')")
                 .toInt(),
             2);
    // The grid shows the marks as they now are.
    for (int r = 0; r < shownJournal().recordCount(); ++r)
        QCOMPARE(shownJournal().valueAt(r, "ok").toString().trimmed() == "ok",
                 accepted || shownJournal().valueAt(r, "time").toInt() == 4);
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    TestJournal t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_journal.moc"
