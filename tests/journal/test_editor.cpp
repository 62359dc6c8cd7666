// The work-record editor through the real windows on a real database: the statements it
// sends, the pickers, the duplicate and completeness checks, and the hours of the day.
#include "JournalUnderTest.h"
#include "app/Program.h"
#include "data/Database.h"
#include "data/Format.h"
#include "journal/WorkRecordEditor.h"
#include "support/TestSupport.h"
#include "ui/Permissions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void insertStatementOfTheWorkedExample();
    void roadThroughBothPickers();
    void duplicates();
    void priceRoundingAndDisplay();
    void hoursOfTheDay();
    void firstRecordOfMonthInsertsTimesheetRow();
    void paintingNeedsColour();
    void movedRecordCorrectsTheDayItCameFrom();
    void numbersTooBigAreRefused_data();
    void numbersTooBigAreRefused();
    void keyboardRoadThroughTheEditor();
    void pricesShownBelongToTheRecord();
    void journalReadAgainOnlyAfterASave_data();
    void journalReadAgainOnlyAfterASave();
    void dayOffFactorFollowsTheRecordsDate_data();
    void dayOffFactorFollowsTheRecordsDate();
    void rejectsAboveTheQuantityAreRefused_data();
    void rejectsAboveTheQuantityAreRefused();
    void amountShownIsWhatTheJournalShows();
    void saveAndAddStartsTheNextRecordOfTheWorker();
    void copiedRecordIsANewOne();

private:
    // Opens the editor with "Добавить" and, inside it, picks the worker and the operation
    // price in their lists and types the quantity, hours and colour; then `more` acts.
    void add(int worker, int oper, const QString& qty, const QString& hours, const QString& colour = "",
             const std::function<void()>& more = {});
    // Opens the editor with "Изменить" on the current journal row; inside, `inEditor` acts.
    void change(const std::function<void()>& inEditor);
    // Chooses, in a list shown as a picker, the row that shows the text, and presses "Выбрать".
    void choose(const QString& dialog, const QString& rowText);
    QLineEdit* box(const char* name) const { return childNamed<QLineEdit>(editor, name); }
    void save() const { childNamed<QPushButton>(editor, "saveButton")->click(); }
    // Leaves the box with Tab, as the user does, and lets the recompute that follows run.
    void leaveWithTab(const char* name) const {
        QLineEdit* b = box(name);
        // The scripted modal run does not put the window on screen; focus needs it there.
        editor->show();
        editor->activateWindow();
        if (!QTest::qWaitForWindowActive(editor))
            qWarning("the editor did not become active");
        b->setFocus();
        QTest::keyEvent(QTest::Click, b, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    int h(int worker, int day, int shift = 1);
    // In the shown editor: a click on the day part of «Дата», the date typed, Tab.
    void typeDate(const QString& digits) const {
        editor->show();
        editor->activateWindow();
        if (!QTest::qWaitForWindowActive(editor))
            qWarning("the editor did not become active");
        auto* date = childNamed<QDateEdit>(editor, "dateEdit");
        auto* text = date->findChild<QLineEdit*>();
        clickOn(text, QPoint(6, text->height() / 2));
        for (QChar digit : digits)
            QTest::keyClick(QApplication::focusWidget(), digit.toLatin1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    TestDatabase* db = nullptr;
    Database* database = nullptr;
    JournalUnderTest* window = nullptr;
    WorkRecordEditor* editor = nullptr;
    ModalScript onModal;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
};

static const QDate kDay(2026, 12, 8);

void TestEditor::init() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(kDay, QTime(10, 0)));
    db->exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван'), (18, 'Петров Пётр')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (5, 'A-12', 1.5)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Сборка'), (4, 'Покраска')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
             "(43, 4, 5, 1, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 12.5, 0), (43, 10, "
             "3.3, 0)");
    database = db->openDatabase();
    window = new JournalUnderTest(*database, *permissionsForCode("73516280"));
    editor = window->findChild<WorkRecordEditor*>();
    QVERIFY(editor);
    onModal.clear();
    onModal.onScreen = false;
    onModal.install();
    window->journal().showToday();
    window->journal().showDay(kDay);
}

void TestEditor::cleanup() {
    delete window;
    window = nullptr;
    seams::setModalHandler({});
    delete clock;
    delete boxes;
    delete db;
    QLocale::setDefault(QLocale::c());
}

void TestEditor::choose(const QString& dialogName, const QString& rowText) {
    QDialog* dialog = window->findChild<QDialog*>(dialogName);
    QVERIFY(dialog);
    QTableView* grid = dialog->findChild<QTableView*>();
    QAbstractItemModel* model = grid->model();
    for (int r = 0; r < model->rowCount(); ++r)
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->index(r, c).data().toString().trimmed() == rowText) {
                grid->setCurrentIndex(model->index(r, c));
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == "Выбрать") {
                        b->click();
                        return;
                    }
                QFAIL("no button Выбрать");
            }
    QFAIL(qPrintable("no row " + rowText + " in " + dialogName));
}

void TestEditor::add(int worker, int oper, const QString& qty, const QString& hours, const QString& colour,
                     const std::function<void()>& more) {
    onModal["WorkersDialog"] = [=, this] {
        choose("WorkersDialog", worker == 17 ? "Иванов Иван" : "Петров Пётр");
    };
    onModal["OperationPricesDialog"] = [=, this] {
        choose("OperationPricesDialog", oper == 43 ? "Покраска" : "Сборка");
    };
    onModal["WorkRecordEditor"] = [=, this] {
        childNamed<QPushButton>(editor, "workerButton")->click();
        childNamed<QPushButton>(editor, "operationButton")->click();
        box("quantityEdit")->setText(qty);
        box("hoursEdit")->setText(hours);
        box("colourEdit")->setText(colour);
        if (more)
            more();
    };
    window->click("addButton");
}

void TestEditor::change(const std::function<void()>& inEditor) {
    onModal["WorkRecordEditor"] = inEditor;
    window->click("changeButton");
}

int TestEditor::h(int worker, int day, int shift) {
    return db
        ->scalar(
            QString(
                "select coalesce(d%1, -1) from accounts_dep.h_tabel where w_id=%2 and smena=%3 and month=12 "
                "and year=2026")
                .arg(day)
                .arg(worker)
                .arg(shift))
        .toInt();
}

void TestEditor::insertStatementOfTheWorkedExample() {
    SqlRecorder sql;
    add(17, 42, "100", "8", "", [&] {
        box("rejectsEdit")->setText("2");
        save();
    });
    QVERIFY(boxes->shown.isEmpty());
    // The statement's text with its values bound: worker 17, product 5, operation price 42,
    // price 12.5, quantity 100, rejects 2, 08.12.2026, shift 1, colour 0, 8 hours, entered today.
    QVERIFY(sql.statements.contains(
        "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, "
        "vvod,ok, "
        "prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(:w_id, :i_id, :o_id, "
        ":cena,:kol_vo, :brak, to_date(:data, 'DD.MM.YYYY HH24:MI:SS'), :smena, :color, :time, :vvod, 'no', "
        "0, 0, 0, 0, 0, 0)"));
    QCOMPARE(
        db->scalar("select w_id || '/' || i_id || '/' || o_id || '/' || cena || '/' || kol_vo || '/' || "
                   "brak || '/' || to_char(data, 'DD.MM.YYYY') || '/' || smena || '/' || color || '/' || "
                   "time from accounts_dep.smena")
            .toString(),
        QString("17/5/42/12.5/100/2/08.12.2026/1/0/8"));
    QCOMPARE(
        db->scalar(
              "select trim(ok) || '/' || prize || '/' || id_doc || id_doc_item || id_gds_use || "
              "id_cons_use || f_gds_qty_use || '/' || to_char(vvod, 'DD.MM.YYYY') from accounts_dep.smena")
            .toString(),
        QString("no/0/00000/08.12.2026"));
    // The journal was read again and shows the record; the boxes are empty for the next one.
    QCOMPARE(window->shown().recordCount(), 1);
    QVERIFY(box("quantityEdit")->text().isEmpty());
    QCOMPARE(h(17, 8), 8);
}

void TestEditor::roadThroughBothPickers() {
    childNamed<QCheckBox>(window, "dayOffCheck")->setChecked(false);
    add(18, 42, "10", "4", "", [&] {
        QCOMPARE(box("workerEdit")->text(), QString("Петров Пётр"));
        QCOMPARE(box("operationEdit")->text(), QString("A-12; Сборка; Готовая продукция"));
        QVERIFY(!box("colourEdit")->isEnabled());
        // Leaving the hours box shows the base price and the amount.
        leaveWithTab("hoursEdit");
        QCOMPARE(box("basePriceEdit")->text(), QString("12,5"));
        QCOMPARE(box("amountEdit")->text(), QString("125,00"));
        save();
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select w_id || '/' || o_id || '/' || cena || '/' || kol_vo from accounts_dep.smena")
                 .toString(),
             QString("18/42/12.5/10"));
    // Accepted by a double click in the journal.
    QVERIFY(window->shown().locate("w_id", 18));
    window->doubleClickCurrentRow();
    QCOMPARE(db->scalar("select trim(ok) from accounts_dep.smena").toString(), QString("ok"));
}

void TestEditor::duplicates() {
    add(17, 43, "10", "2", "5", [&] { save(); });
    add(17, 43, "12", "1", "5", [&] {
        save();
        QCOMPARE(boxes->texts(), QStringList{"Позиция с такими параметрами уже заведена!"});
        QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 1);
        boxes->clear();
        box("colourEdit")->setText("7"); // another colour
        save();
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 2);
    // A change without any change is accepted and keeps the mark.
    db->exec("update accounts_dep.smena set ok='ok', vvod='01.12.2026', prize=5");
    window->click("refreshButton");
    window->shown().first();
    change([&] {
        QCOMPARE(box("colourEdit")->text(), QString("5"));
        QVERIFY(box("colourEdit")->isEnabled());
        save();
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where trim(ok)='ok' and prize=0 and "
                        "vvod='08.12.2026'")
                 .toInt(),
             1);
}

void TestEditor::priceRoundingAndDisplay() {
    db->exec("update accounts_dep.norm set price=12.34567 where o_id=42");
    SqlRecorder sql;
    add(17, 42, "10", "8", "", [&] {
        leaveWithTab("hoursEdit");
        QCOMPARE(box("priceEdit")->text(), QString("12,3457"));
        QCOMPARE(box("amountEdit")->text(), QString("123,46"));
        save();
    });
    QVERIFY(sql.statements.filter("insert into accounts_dep.SMENA").first().contains(", :cena,:kol_vo,"));
    QCOMPARE(db->scalar("select cena from accounts_dep.smena").toDouble(), 12.3457);
    QCOMPARE(db->scalar("select cena::text || '/' || kol_vo from accounts_dep.smena").toString(),
             QString("12.3457/10"));
    // An empty quantity becomes 0 when the box is left, also when nothing was typed into it
    // (the box's text did not change since the last recompute).
    add(17, 42, "", "1", "", [&] {
        leaveWithTab("quantityEdit");
        QCOMPARE(box("quantityEdit")->text(), QString("0"));
        QCOMPARE(box("amountEdit")->text(), QString("0,00"));
        box("quantityEdit")->clear();
        box("amountEdit")->clear();
        leaveWithTab("quantityEdit");
        QCOMPARE(box("quantityEdit")->text(), QString("0"));
        QCOMPARE(box("amountEdit")->text(), QString("0,00"));
    });
}

void TestEditor::hoursOfTheDay() {
    add(17, 42, "1", "3", "", [&] { save(); });
    add(17, 43, "1", "5", "1", [&] { save(); });
    QCOMPARE(h(17, 8), 8);
    QVERIFY(window->shown().locate("time", 3));
    change([&] {
        box("hoursEdit")->setText("4");
        save();
    });
    QCOMPARE(h(17, 8), 9);
}

void TestEditor::firstRecordOfMonthInsertsTimesheetRow() {
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d1) values (17, 11, 2026, 1, 7)");
    add(17, 42, "1", "6", "", [&] { save(); });
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel where w_id=17").toInt(), 2);
    QCOMPARE(h(17, 8), 6);
    QCOMPARE(h(17, 7), -1); // the other days are left empty
}

void TestEditor::paintingNeedsColour() {
    add(17, 43, "10", "2", "", [&] {
        QVERIFY(box("colourEdit")->isEnabled());
        QVERIFY(childNamed<QLabel>(editor, "colourLabel")->isEnabled());
        save();
        QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
        QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 0);
    });
    // Another operation empties and disables the colour box; the record gets colour 0.
    add(17, 43, "10", "2", "9", [&] {
        onModal["OperationPricesDialog"] = [=, this] { choose("OperationPricesDialog", "Сборка"); };
        childNamed<QPushButton>(editor, "operationButton")->click();
        QVERIFY(!box("colourEdit")->isEnabled());
        QVERIFY(box("colourEdit")->text().isEmpty());
        save();
    });
    QCOMPARE(db->scalar("select color from accounts_dep.smena").toInt(), 0);
}

void TestEditor::movedRecordCorrectsTheDayItCameFrom() {
    add(17, 42, "1", "8", "", [&] { save(); });
    add(18, 42, "1", "4", "", [&] { save(); });
    QCOMPARE(h(17, 8), 8);
    // Move worker 17's record to the 9th and to worker 18.
    QVERIFY(window->shown().locate("w_id", 17));
    onModal["WorkersDialog"] = [=, this] { choose("WorkersDialog", "Петров Пётр"); };
    change([&] {
        childNamed<QDateEdit>(editor, "dateEdit")->setDate(kDay.addDays(1));
        childNamed<QPushButton>(editor, "workerButton")->click();
        QCOMPARE(box("workerEdit")->text(), QString("Петров Пётр"));
        save();
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(h(17, 8), 0); // the day it came from
    QCOMPARE(h(18, 9), 8);
    QCOMPARE(h(18, 8), 4);
}

void TestEditor::numbersTooBigAreRefused_data() {
    QTest::addColumn<QString>("box");
    QTest::newRow("quantity") << "quantityEdit";
    QTest::newRow("hours") << "hoursEdit";
    QTest::newRow("rejects") << "rejectsEdit";
}

void TestEditor::numbersTooBigAreRefused() {
    QFETCH(QString, box);
    SqlRecorder sql;
    QStringList sentBySave;
    add(17, 42, "1", "1", "", [&] {
        sql.statements.clear();
        childNamed<QLineEdit>(editor, box)->setText("12345678901234567890");
        save();
        sentBySave = sql.statements;
    });
    QCOMPARE(boxes->shown.size(), 1);
    QVERIFY(boxes->shown[0].text.startsWith("Слишком большое число"));
    QVERIFY(sentBySave.isEmpty());
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 0);
}

// The editor driven by the keyboard alone: Enter on a focused "..." opens its picker and saves
// nothing, the picked operation shows from its beginning, the date is one stop in the tab order
// (so digits typed after it go into the rejects), the amount follows the quantity, and Enter in a
// box saves.
void TestEditor::keyboardRoadThroughTheEditor() {
    onModal.onScreen = true;
    auto backToEditor = [this] {
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
    };
    auto press = [](Qt::Key key) { QTest::keyEvent(QTest::Click, QApplication::focusWidget(), key); };
    auto typeDigits = [](const QString& text) {
        for (QChar c : text)
            QTest::keyEvent(QTest::Click, QApplication::focusWidget(), c.toLatin1());
    };
    onModal["WorkersDialog"] = [&] { choose("WorkersDialog", "Петров Пётр"); };
    onModal["OperationPricesDialog"] = [&] { choose("OperationPricesDialog", "Сборка"); };
    onModal["WorkRecordEditor"] = [&] {
        QCOMPARE(QApplication::focusWidget(), childNamed<QPushButton>(editor, "workerButton"));
        press(Qt::Key_Return);
        backToEditor();
        QCOMPARE(box("workerEdit")->text(), QString("Петров Пётр"));
        QVERIFY(boxes->shown.isEmpty());
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), childNamed<QPushButton>(editor, "operationButton"));
        press(Qt::Key_Return);
        backToEditor();
        QCOMPARE(box("operationEdit")->text(), QString("A-12; Сборка; Готовая продукция"));
        QCOMPARE(box("operationEdit")->cursorPosition(), 0);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box("quantityEdit"));
        typeDigits("10");
        press(Qt::Key_Tab); // to the hours
        press(Qt::Key_Tab); // the colour box is off for this operation: to the date
        QCOMPARE(QApplication::focusWidget(), childNamed<QDateEdit>(editor, "dateEdit"));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box("rejectsEdit"));
        box("rejectsEdit")->selectAll();
        typeDigits("2");
        QCoreApplication::processEvents();
        // The good pieces at the price: (10 − 2) × 12,5.
        QCOMPARE(box("amountEdit")->text(), QString("100,00"));
        press(Qt::Key_Return);
    };
    window->click("addButton");
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select w_id || '/' || o_id || '/' || kol_vo || '/' || brak || '/' || "
                        "to_char(data, 'DD.MM.YYYY') from accounts_dep.smena")
                 .toString(),
             QString("18/42/10/2/08.12.2026"));
}

// "Изменить" shows the base price of the record's own operation, not of the operation picked
// last; a new "Добавить" after a save starts with empty prices.
void TestEditor::pricesShownBelongToTheRecord() {
    add(17, 42, "10", "2", "", [&] { save(); });
    add(18, 43, "4", "1", "5", [&] { save(); }); // the last pick: 3,3
    window->click("refreshButton");
    QVERIFY(window->shown().locate("o_id", 42));
    change([&] {
        QCOMPARE(box("basePriceEdit")->text(), QString("12,5"));
        QCOMPARE(box("priceEdit")->text(), QString("12,5"));
        QCOMPARE(box("operationEdit")->cursorPosition(), 0);
    });
    onModal["WorkRecordEditor"] = [&] {
        for (const char* name : {"basePriceEdit", "priceEdit", "amountEdit"})
            QVERIFY2(box(name)->text().isEmpty(), name);
    };
    window->click("addButton");
}

void TestEditor::journalReadAgainOnlyAfterASave_data() {
    QTest::addColumn<bool>("adding"); // "Добавить", else "Изменить"
    QTest::addColumn<bool>("saved");
    QTest::newRow("added") << true << true;
    QTest::newRow("adding closed without a save") << true << false;
    QTest::newRow("changed") << false << true;
    QTest::newRow("changing closed without a save") << false << false;
}

// Back from the editor the journal keeps the day chosen: after a save it reads that day again and
// stands on the record saved; closed without a save it sends nothing.
void TestEditor::journalReadAgainOnlyAfterASave() {
    QFETCH(bool, adding);
    QFETCH(bool, saved);
    const QDate chosen(2026, 12, 7);
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, "
        "ok, vvod, prize) values ('07.12.2026', 1, 17, 5, 42, 12.5, 10, 0, 0, 8, 'no', '07.12.2026', 0)");
    childNamed<QDateEdit>(&window->journal(), "dateEdit")->setDate(chosen);
    QCOMPARE(window->shown().recordCount(), 1);
    QSignalSpy records(&window->journal(), &JournalView::recordsChanged);
    QSignalSpy days(&window->journal(), &JournalView::dayChanged);
    SqlRecorder sql;
    if (adding)
        add(18, 42, "3", "2", "", [&] {
            if (saved)
                save();
        });
    else
        change([&] {
            box("quantityEdit")->setText("5");
            if (saved)
                save();
        });
    QVERIFY(boxes->shown.isEmpty());
    // The shown shift's journal read alone, or the day's four together.
    const bool journalRead = std::any_of(sql.statements.begin(), sql.statements.end(), [](const QString& s) {
        return s == Database::journalSql(1) || s == Database::journalDaySql();
    });
    QCOMPARE(journalRead, saved);
    QCOMPARE(records.size(), saved ? 1 : 0);
    // The journal stays on its day, saved or not.
    QCOMPARE(days.size(), 0);
    QCOMPARE(window->journal().day().date, chosen);
    QCOMPARE(childNamed<QDateEdit>(&window->journal(), "dateEdit")->date(), chosen);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), adding && saved ? 2 : 1);
    QCOMPARE(db->scalar("select sum(kol_vo) from accounts_dep.smena where w_id=17").toInt(),
             !adding && saved ? 5 : 10);
    if (saved) {
        // The day read again, standing on the record saved.
        QCOMPARE(window->shown().param("data").toDate(), chosen);
        QCOMPARE(window->shown().recordCount(), adding ? 2 : 1);
        QCOMPARE(window->shown().fieldByName("w_id").asInteger(), adding ? 18 : 17);
        QCOMPARE(window->shown().fieldByName("kol_vo").asInteger(), adding ? 3 : 5);
        QCOMPARE(window->grid()->currentIndex().row(), window->shown().recNo() - 1);
        QCOMPARE(db->scalar("select count(*) from accounts_dep.smena where data='07.12.2026'").toInt(),
                 adding ? 2 : 1);
    } else {
        QCOMPARE(window->shown().param("data").toDate(), chosen);
        QCOMPARE(window->shown().recordCount(), 1);
    }
}

void TestEditor::dayOffFactorFollowsTheRecordsDate_data() {
    QTest::addColumn<QDate>("journalDay");
    QTest::addColumn<bool>("pickFirst"); // the price picked before the date is changed
    QTest::addColumn<QString>("typedDate");
    QTest::addColumn<QString>("price"); // stored
    QTest::addColumn<bool>("noted");    // the editor says that it recomputed the price
    QTest::newRow("Saturday's journal, Wednesday typed, then the pick")
        << QDate(2026, 12, 12) << false << "09122026"
        << "12.5" << false;
    QTest::newRow("Saturday's journal, the pick, then Wednesday typed")
        << QDate(2026, 12, 12) << true << "09122026"
        << "12.5" << true;
    QTest::newRow("Wednesday's journal, the pick, then Saturday typed")
        << QDate(2026, 12, 9) << true << "12122026"
        << "25" << true;
    QTest::newRow("Wednesday's journal, Sunday typed, then the pick")
        << QDate(2026, 12, 9) << false << "13122026"
        << "25" << false;
    QTest::newRow("Saturday's journal, the pick, then Sunday typed")
        << QDate(2026, 12, 12) << true << "13122026"
        << "25" << false;
}

// The day-off factor of a new record is that of the date it is saved for, whether the date is
// changed before or after the price is picked.
void TestEditor::dayOffFactorFollowsTheRecordsDate() {
    QFETCH(QDate, journalDay);
    QFETCH(bool, pickFirst);
    QFETCH(QString, typedDate);
    QFETCH(QString, price);
    QFETCH(bool, noted);
    window->journal().showDay(journalDay);
    QCOMPARE(childNamed<QCheckBox>(window, "dayOffCheck")->isChecked(), isWeekend(journalDay));
    onModal["WorkersDialog"] = [&] { choose("WorkersDialog", "Иванов Иван"); };
    onModal["OperationPricesDialog"] = [&] { choose("OperationPricesDialog", "Сборка"); };
    QString note;
    onModal["WorkRecordEditor"] = [&] {
        childNamed<QPushButton>(editor, "workerButton")->click();
        if (!pickFirst)
            typeDate(typedDate);
        childNamed<QPushButton>(editor, "operationButton")->click();
        if (pickFirst)
            typeDate(typedDate);
        box("quantityEdit")->setText("10");
        box("hoursEdit")->setText("1");
        note = childNamed<QLabel>(editor, "priceNoteLabel")->text();
        QCOMPARE(box("priceEdit")->text(), QString(price).replace('.', ','));
        save();
        editor->hide();
    };
    window->click("addButton");
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(db->scalar("select cena::text || ' ' || to_char(data, 'DDMMYYYY') from accounts_dep.smena")
                 .toString(),
             price + " " + typedDate);
    QCOMPARE(!note.isEmpty(), noted);
}

void TestEditor::rejectsAboveTheQuantityAreRefused_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("rejects");
    QTest::addColumn<bool>("saved");
    QTest::newRow("20 rejects of 10") << "10"
                                      << "20" << false;
    QTest::newRow("1 reject of 0") << "0"
                                   << "1" << false;
    QTest::newRow("10 rejects of 10") << "10"
                                      << "10" << true;
    QTest::newRow("2 rejects of 10") << "10"
                                     << "2" << true;
}

// Rejects are pieces of the quantity: more rejects than pieces are refused at the save with the
// rejects box in focus; as many as the pieces are taken.
void TestEditor::rejectsAboveTheQuantityAreRefused() {
    QFETCH(QString, quantity);
    QFETCH(QString, rejects);
    QFETCH(bool, saved);
    onModal.onScreen = true;
    QWidget* focused = nullptr;
    add(17, 42, quantity, "1", "", [&] {
        box("rejectsEdit")->setText(rejects);
        save();
        focused = QApplication::focusWidget();
    });
    QCOMPARE(boxes->texts(), saved ? QStringList{} : QStringList{"Брак не может быть больше количества!"});
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), saved ? 1 : 0);
    if (!saved)
        QCOMPARE(focused, box("rejectsEdit"));
}

// The editor's «Сумма» is the amount the journal shows for the record: the good pieces at the
// price, in roubles with two decimals; it follows the rejects when their box is left.
void TestEditor::amountShownIsWhatTheJournalShows() {
    db->exec("update accounts_dep.norm set price=7 where o_id=42");
    childNamed<QCheckBox>(window, "dayOffCheck")->setChecked(false);
    QString shownWhenAdded;
    add(17, 42, "100", "8", "", [&] {
        box("rejectsEdit")->setText("5");
        leaveWithTab("rejectsEdit");
        shownWhenAdded = box("amountEdit")->text();
        save();
    });
    QCOMPARE(shownWhenAdded, QString("665,00"));
    window->shown().first();
    QCOMPARE(window->shown().fieldByName("summa").asFloat(), 665.0);
    QString shownWhenChanged;
    change([&] { shownWhenChanged = box("amountEdit")->text(); });
    QCOMPARE(shownWhenChanged, QString("665,00"));
}

// "Записать и добавить" saves and starts the next record with the same worker, date and shift,
// the operation and the counts empty; the editor shows the shift the records go into. Back in
// the journal the day is read again, standing on the last record saved.
void TestEditor::saveAndAddStartsTheNextRecordOfTheWorker() {
    const QDate chosen(2026, 12, 5);
    window->journal().showDay(chosen);
    childNamed<QRadioButton>(window, "shift3Button")->click();
    onModal["WorkersDialog"] = [&] { choose("WorkersDialog", "Петров Пётр"); };
    QString shiftShown;
    QString workerAfter, operationAfter, quantityAfter;
    QDate dateAfter;
    onModal["OperationPricesDialog"] = [&] { choose("OperationPricesDialog", "Сборка"); };
    onModal["WorkRecordEditor"] = [&] {
        shiftShown = childNamed<QLabel>(editor, "shiftLabel")->text();
        childNamed<QPushButton>(editor, "workerButton")->click();
        childNamed<QPushButton>(editor, "operationButton")->click();
        box("quantityEdit")->setText("10");
        box("hoursEdit")->setText("3");
        childNamed<QPushButton>(editor, "saveAndAddButton")->click();
        workerAfter = box("workerEdit")->text();
        operationAfter = box("operationEdit")->text();
        quantityAfter = box("quantityEdit")->text();
        dateAfter = childNamed<QDateEdit>(editor, "dateEdit")->date();
        onModal["OperationPricesDialog"] = [&] { choose("OperationPricesDialog", "Покраска"); };
        childNamed<QPushButton>(editor, "operationButton")->click();
        box("quantityEdit")->setText("4");
        box("hoursEdit")->setText("2");
        box("colourEdit")->setText("3");
        save();
    };
    window->click("addButton");
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(shiftShown, QString("Смена №3"));
    QCOMPARE(workerAfter, QString("Петров Пётр"));
    QVERIFY(operationAfter.isEmpty());
    QVERIFY(quantityAfter.isEmpty());
    QCOMPARE(dateAfter, chosen);
    QCOMPARE(db->scalar("select string_agg(w_id || '/' || o_id || '/' || kol_vo || '/' || smena || '/' || "
                        "to_char(data, 'DD.MM'), ' ' order by o_id) from accounts_dep.smena")
                 .toString(),
             QString("18/42/10/3/05.12 18/43/4/3/05.12"));
    QCOMPARE(h(18, 5, 3), 5);
    QCOMPARE(window->journal().day().date, chosen);
    QCOMPARE(window->shown().recordCount(), 2);
    QCOMPARE(window->shown().fieldByName("o_id").asInteger(), 43);
}

// "Копировать" opens a new record filled from the current one; the copy with another worker is
// saved as a record of its own and the original stays.
void TestEditor::copiedRecordIsANewOne() {
    add(17, 43, "10", "2", "5", [&] { save(); });
    QCOMPARE(window->shown().recordCount(), 1);
    onModal["WorkersDialog"] = [&] { choose("WorkersDialog", "Петров Пётр"); };
    QString title, operation, quantity, colour;
    onModal["WorkRecordEditor"] = [&] {
        title = editor->windowTitle();
        operation = box("operationEdit")->text();
        quantity = box("quantityEdit")->text();
        colour = box("colourEdit")->text();
        childNamed<QPushButton>(editor, "workerButton")->click();
        save();
    };
    window->click("copyButton");
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(title, QString("Заведение новой позиции (11)"));
    QCOMPARE(operation, QString("A-12; Покраска; Заготовки"));
    QCOMPARE(quantity, QString("10"));
    QCOMPARE(colour, QString("5"));
    QCOMPARE(db->scalar("select string_agg(w_id || '/' || o_id || '/' || kol_vo || '/' || color || '/' || "
                        "cena, ' ' order by w_id) from accounts_dep.smena")
                 .toString(),
             QString("17/43/10/5/3.3 18/43/10/5/3.3"));
    QCOMPARE(window->shown().fieldByName("w_id").asInteger(), 18);
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    TestEditor t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_editor.moc"
