// The maintenance works window and its editor through the real windows on a real database:
// the refusals, the prices, the hours of the day in the timesheet, the average piece rate,
// the day-off box and the cursor after a deletion.
#include "app/MainWindow.h"
#include "data/Database.h"
#include "journal/JournalView.h"
#include "maintenance/MaintenanceEntryEditor.h"
#include "maintenance/MaintenanceWorksWindow.h"
#include "support/TestSupport.h"
#include "ui/Permissions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestMaintenance : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refusals_data();
    void refusals();
    void amountTheReportsCannotSumIsRefused();
    void changeOnAnEmptyDaySavesANewEntry();
    void priceWithDayOffAndNight_data();
    void priceWithDayOffAndNight();
    void hoursOfTheDayFollowTheEntries();
    void movedEntryCorrectsTheDayItCameFrom();
    void failedWriteLeavesNothing();
    void errorOfAClickedSaveIsShownAndTheNextSaveWorks();
    void deletingTheLastRowKeepsTheCursorOnTheList();
    void weekendRuleOfTheDayOffBox();
    void dayOffOfASaturdayDoesNotReachAWeekday();
    void readOnlyRolesOnlyLook_data();
    void readOnlyRolesOnlyLook();
    void averageRate_data();
    void averageRate();
    void averageRateOfDecemberReachesTheNewYear();

private:
    // Opens the window from the main window with its button; inside it `act` runs.
    void inWindow(const std::function<void()>& act);
    // In the window: "Добавить", and in the editor the worker and the group picked, the type
    // chosen, the hours typed, "Ночные" ticked when asked, and Enter.
    void add(const QString& worker, int type, const QString& hours, bool night = false);
    // In the window: "Изменить" on the current row; inside the editor `act` runs.
    void change(const std::function<void()>& act);
    // In a list shown as a picker: the row that shows the text, and "Выбрать".
    void pick(const QString& dialog, const QString& text);
    template <class T> T* editorWidget(const QString& name) const { return childNamed<T>(editor, name); }
    template <class T> T* inWin(const QString& name) const { return childNamed<T>(works, name); }
    // The worker's hours of the day in the timesheet row of the type and flag (-1: no row).
    int dayHours(int worker, int day, int type = 7777, int night = 0);
    int entries() { return db->scalar("select count(*) from accounts_dep.fatigue").toInt(); }

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    MainWindow* window = nullptr;
    MaintenanceWorksWindow* works = nullptr;
    MaintenanceEntryEditor* editor = nullptr;
    ModalScript onModal;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
};

static const QDate kDay(2026, 12, 8); // a Tuesday

void TestMaintenance::init() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db = new TestDatabase;
    boxes = new MessageRecorder;
    clock = new FixedClock(QDateTime(kDay, QTime(10, 0)));
    db->exec("insert into accounts_dep.person (id, fio) values (17, 'Иванов Иван'), (18, 'Петров Пётр')");
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (901, 2, 'Цех окраски'), "
             "(902, 2, 'Склад')");
    db->exec(
        "insert into accounts_dep.vid_oper (id, vid) values (7777, 'Хоз. работы'), (7778, 'Ср. сдельная')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (60, 7777, 7777, 0, 0), "
             "(61, 7778, 7778, 0, 0)");
    db->exec(
        "insert into accounts_dep.norm (o_id, norma, price, prize) values (60, 1, 150, 0), (61, 1, 180, 0)");
    database = db->openDatabase();
    window = new MainWindow(*database, *permissionsForCode("73516280"));
    works = window->findChild<MaintenanceWorksWindow*>();
    editor = window->findChild<MaintenanceEntryEditor*>();
    QVERIFY(works && editor);
    onModal.clear();
    onModal.install();
    window->journal().showDay(kDay);
}

void TestMaintenance::cleanup() {
    delete window;
    window = nullptr;
    seams::setModalHandler({});
    delete clock;
    delete boxes;
    delete db;
    QLocale::setDefault(QLocale::c());
}

void TestMaintenance::inWindow(const std::function<void()>& act) {
    onModal["MaintenanceWorksWindow"] = act;
    childNamed<QPushButton>(window, "maintenanceWorksButton")->click();
}

void TestMaintenance::pick(const QString& dialogName, const QString& text) {
    auto* dialog = window->findChild<QDialog*>(dialogName);
    QVERIFY(dialog);
    auto* grid = dialog->findChild<QTableView*>();
    QAbstractItemModel* model = grid->model();
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 0).data().toString().trimmed() == text) {
            grid->setCurrentIndex(model->index(r, 0));
            childNamed<QPushButton>(dialog, "changeButton")->click();
            return;
        }
    QFAIL(qPrintable("no row " + text + " in " + dialogName));
}

void TestMaintenance::add(const QString& worker, int type, const QString& hours, bool night) {
    onModal["WorkersDialog"] = [=, this] { pick("WorkersDialog", worker); };
    onModal["NomenclatureGroupsDialog"] = [=, this] { pick("NomenclatureGroupsDialog", "Склад"); };
    onModal["MaintenanceEntryEditor"] = [=, this] {
        editorWidget<QPushButton>("workerButton")->click();
        editorWidget<QPushButton>("groupButton")->click();
        auto* types = editorWidget<QComboBox>("typeBox");
        types->setCurrentIndex(types->findData(type));
        editorWidget<QLineEdit>("hoursEdit")->clear();
        QTest::keyClicks(editorWidget<QLineEdit>("hoursEdit"), hours);
        if (night)
            clickOn(editorWidget<QCheckBox>("nightCheck"));
        // Enter in the hours box presses "Записать".
        editor->show();
        QTest::keyEvent(QTest::Click, editorWidget<QLineEdit>("hoursEdit"), Qt::Key_Return);
        editor->hide(); // a refused save leaves it open
    };
    inWin<QPushButton>("addButton")->click();
}

void TestMaintenance::change(const std::function<void()>& act) {
    onModal["MaintenanceEntryEditor"] = act;
    inWin<QPushButton>("changeButton")->click();
}

int TestMaintenance::dayHours(int worker, int day, int type, int night) {
    const QVariant v =
        db->scalar(QString("select coalesce(d%1, 0) from accounts_dep.h_tabel where w_id=%2 and "
                           "i_type=%3 and i_night=%4 and month=12 and year=2026 and smena=0")
                       .arg(day)
                       .arg(worker)
                       .arg(type)
                       .arg(night));
    return v.isNull() ? -1 : v.toInt();
}

// Nothing chosen, no hours, too many hours, and "Изменить" on an empty day: each refused with
// its message, the editor stays open and nothing is written.
void TestMaintenance::refusals_data() {
    QTest::addColumn<bool>("changeOnEmptyDay");
    QTest::addColumn<bool>("withoutNorms");
    QTest::addColumn<QString>("worker");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("message");
    const QString incomplete = "Все поля должны быть заполнены!";
    QTest::newRow("no worker") << false << false << ""
                               << "8" << incomplete;
    QTest::newRow("zero hours") << false << false << "Иванов Иван"
                                << "0"
                                << "Нужно завести количество!";
    QTest::newRow("empty hours") << false << false << "Иванов Иван"
                                 << ""
                                 << "Нужно завести количество!";
    QTest::newRow("too many hours") << false << false << "Иванов Иван"
                                    << "40000"
                                    << "Слишком большое число часов: не больше 32767.";
    QTest::newRow("change on an empty day") << true << false << ""
                                            << "8" << incomplete;
    QTest::newRow("types without a norm") << false << true << "Иванов Иван"
                                          << "8" << incomplete;
}

void TestMaintenance::refusals() {
    QFETCH(bool, changeOnEmptyDay);
    QFETCH(bool, withoutNorms);
    QFETCH(QString, worker);
    // Without norms the types have no price and are not offered.
    if (withoutNorms)
        db->exec("delete from accounts_dep.norm");
    QFETCH(QString, hours);
    QFETCH(QString, message);
    bool stillOpen = false;
    onModal["WorkersDialog"] = [&] { pick("WorkersDialog", worker); };
    onModal["NomenclatureGroupsDialog"] = [&] { pick("NomenclatureGroupsDialog", "Склад"); };
    const auto inEditor = [&] {
        if (!worker.isEmpty())
            editorWidget<QPushButton>("workerButton")->click();
        editorWidget<QPushButton>("groupButton")->click();
        editorWidget<QLineEdit>("hoursEdit")->setText(hours);
        QCOMPARE(editorWidget<QComboBox>("typeBox")->count(), withoutNorms ? 0 : 2);
        editor->setResult(-1);
        editorWidget<QPushButton>("saveButton")->click();
        stillOpen = editor->result() == -1;
    };
    inWindow([&] {
        onModal["MaintenanceEntryEditor"] = inEditor;
        if (changeOnEmptyDay) {
            QVERIFY(works->dayList().isEmpty());
            inWin<QPushButton>("changeButton")->click();
        } else {
            inWin<QPushButton>("addButton")->click();
        }
    });
    QCOMPARE(boxes->texts(), QStringList{message});
    QCOMPARE(boxes->shown[0].caption, "Ошибка");
    QVERIFY(stillOpen);
    QCOMPARE(entries(), 0);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
}

// An entry the reports could not sum (hours times the hourly price beyond what a record may hold)
// is refused with the reason; nothing is written and the editor stays open.
void TestMaintenance::amountTheReportsCannotSumIsRefused() {
    db->exec("update accounts_dep.norm set price = 1000");
    bool stillOpen = false;
    onModal["WorkersDialog"] = [&] { pick("WorkersDialog", "Иванов Иван"); };
    onModal["NomenclatureGroupsDialog"] = [&] { pick("NomenclatureGroupsDialog", "Склад"); };
    inWindow([&] {
        onModal["MaintenanceEntryEditor"] = [&] {
            editorWidget<QPushButton>("workerButton")->click();
            editorWidget<QPushButton>("groupButton")->click();
            auto* types = editorWidget<QComboBox>("typeBox");
            types->setCurrentIndex(types->findData(7777));
            editorWidget<QLineEdit>("hoursEdit")->setText("20000");
            editor->setResult(-1);
            editorWidget<QPushButton>("saveButton")->click();
            stillOpen = editor->result() == -1;
        };
        inWin<QPushButton>("addButton")->click();
    });
    QCOMPARE(boxes->texts(),
             QStringList{"Слишком большая сумма одной записи (часы × цена): 20 000 000,00; не "
                         "больше 9 999 999,99."});
    QVERIFY(stillOpen);
    QCOMPARE(entries(), 0);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel").toInt(), 0);
}

// "Изменить" on an empty day with everything then chosen saves a new entry of the day.
void TestMaintenance::changeOnAnEmptyDaySavesANewEntry() {
    inWindow([&] {
        onModal["WorkersDialog"] = [&] { pick("WorkersDialog", "Петров Пётр"); };
        onModal["NomenclatureGroupsDialog"] = [&] { pick("NomenclatureGroupsDialog", "Склад"); };
        change([&] {
            editorWidget<QPushButton>("workerButton")->click();
            editorWidget<QPushButton>("groupButton")->click();
            auto* types = editorWidget<QComboBox>("typeBox");
            QCOMPARE(types->currentIndex(), -1);
            types->setCurrentIndex(types->findData(7777));
            editorWidget<QLineEdit>("hoursEdit")->setText("4");
            editorWidget<QPushButton>("saveButton")->click();
        });
        QCOMPARE(works->dayList().recordCount(), 1);
    });
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(
        db->scalar("select concat_ws(' ', id_p, d_date, cnt, price) from accounts_dep.fatigue").toString(),
        "18 2026-12-08 4 150.0000");
    QCOMPARE(dayHours(18, 8), 4);
}

void TestMaintenance::priceWithDayOffAndNight_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<bool>("night");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("priceShown"); // what the editor shows before the save
    QTest::addColumn<QString>("sumShown");
    QTest::newRow("workday") << 7777 << false << false << "150.0000"
                             << "1200"
                             << "150"
                             << "1200,00";
    QTest::newRow("day off") << 7777 << true << false << "300.0000"
                             << "2400"
                             << "300"
                             << "2400,00";
    QTest::newRow("day off and night") << 7777 << true << true << "360.0000"
                                       << "2880"
                                       << "360"
                                       << "2880,00";
    QTest::newRow("average rate at night") << 7778 << false << true << "216.0000"
                                           << "1728"
                                           << "216"
                                           << "1728,00";
}

// 8 hours at the norm price, doubled on a day off and then 1.2 times at night; the editor shows
// that price and its amount before the save; the row shows the day-off and night marks and the
// amount.
void TestMaintenance::priceWithDayOffAndNight() {
    QFETCH(int, type);
    QFETCH(bool, dayOff);
    QFETCH(bool, night);
    QFETCH(QString, price);
    QFETCH(QString, sum);
    QFETCH(QString, priceShown);
    QFETCH(QString, sumShown);
    QString normShown, amountShown;
    inWindow([&] {
        if (dayOff)
            inWin<QCheckBox>("dayOffCheck")->click();
        onModal["MaintenanceEntryEditor"] = [&] {
            auto* types = editorWidget<QComboBox>("typeBox");
            QCOMPARE(types->currentData().toInt(), 7777); // maintenance works first
            types->setCurrentIndex(types->findData(type));
            editorWidget<QLineEdit>("hoursEdit")->setText("8");
            if (night)
                clickOn(editorWidget<QCheckBox>("nightCheck"));
            normShown = editorWidget<QLineEdit>("priceEdit")->text();
            amountShown = editorWidget<QLineEdit>("sumEdit")->text();
        };
        inWin<QPushButton>("addButton")->click();
        add("Иванов Иван", type, "8", night);
        QCOMPARE(works->dayList().recordCount(), 1);
        QCOMPARE(works->dayList().fieldByName("s_holiday").asString(), dayOff ? "+" : "");
        QCOMPARE(works->dayList().fieldByName("s_night").asString(), night ? "+" : "");
    });
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(normShown, priceShown);
    QCOMPARE(amountShown, sumShown);
    QCOMPARE(
        db->scalar("select price::text || ' ' || (cnt*price)::numeric(12,0)::text || ' ' || i_holiday || "
                   "i_night || i_smena || ' ' || d_date || ' ' || i_mnth || ' ' || i_year || ' ' || "
                   "id_p || ' ' || id_nom || ' ' || id_o from accounts_dep.fatigue")
            .toString(),
        QString("%1 %2 ").arg(price, sum) + QString::number(int(dayOff)) + QString::number(int(night)) +
            "1 2026-12-08 12 2026 17 902 " + QString::number(type));
    QCOMPARE(dayHours(17, 8, type, int(night)), 8);
}

// 3 + 5 hours make 8 in the day column; the first entry of the month inserts the row with
// only that day; deleting the 5 leaves 3, deleting the 3 leaves 0 and the other days stay.
void TestMaintenance::hoursOfTheDayFollowTheEntries() {
    inWindow([&] {
        add("Иванов Иван", 7777, "3");
        QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel").toInt(), 1);
        QCOMPARE(db->scalar("select concat_ws(',', d1, d7, d8, d9, d31) from accounts_dep.h_tabel "
                            "where w_id=17 and i_type=7777 and i_night=0 and smena=0 and month=12 and "
                            "year=2026")
                     .toString(),
                 "3");
        add("Иванов Иван", 7777, "5");
        QCOMPARE(dayHours(17, 8), 8);
        QCOMPARE(db->scalar("select count(*) from accounts_dep.h_tabel").toInt(), 1);
        db->exec("update accounts_dep.h_tabel set d9=4");
        QCOMPARE(works->dayList().recordCount(), 2);
        QVERIFY(works->dayList().locate("cnt", 5));
        boxes->answers = {QMessageBox::No};
        inWin<QPushButton>("deleteButton")->click();
        QCOMPARE(works->dayList().recordCount(), 2);
        inWin<QPushButton>("deleteButton")->click();
        QCOMPARE(dayHours(17, 8), 3);
        QCOMPARE(works->dayList().recordCount(), 1);
        inWin<QPushButton>("deleteButton")->click();
        QCOMPARE(works->dayList().recordCount(), 0);
        inWin<QPushButton>("deleteButton")->click(); // an empty day: nothing asked
    });
    QCOMPARE(boxes->texts(), QStringList(3, "Удалить позицию из списка?"));
    QCOMPARE(boxes->shown[0].caption, "Удаление");
    QVERIFY2(boxes->shown[0].detail.startsWith("Иванов Иван — Хоз. работы, Склад, "),
             qPrintable(boxes->shown[0].detail));
    QCOMPARE(boxes->shown[0].defaultButton, QMessageBox::No);
    QCOMPARE(int(boxes->shown[0].buttons), int(QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(dayHours(17, 8), 0);
    QCOMPARE(dayHours(17, 9), 4);
    QCOMPARE(entries(), 0);
}

// A change that moves an entry to another worker, and then to another type, leaves the day it
// came from with the hours that remain there; the price follows the new type.
void TestMaintenance::movedEntryCorrectsTheDayItCameFrom() {
    inWindow([&] {
        add("Иванов Иван", 7777, "5");
        add("Иванов Иван", 7777, "2");
        QVERIFY(works->dayList().locate("cnt", 5));
        onModal["WorkersDialog"] = [&] { pick("WorkersDialog", "Петров Пётр"); };
        change([&] {
            QVERIFY(!editorWidget<QCheckBox>("nightCheck")->isEnabled());
            QCOMPARE(editorWidget<QLineEdit>("workerEdit")->text(), "Иванов Иван");
            QCOMPARE(editorWidget<QLineEdit>("groupEdit")->text(), "Склад");
            QCOMPARE(editorWidget<QLineEdit>("hoursEdit")->text(), "5");
            editorWidget<QPushButton>("workerButton")->click();
            editorWidget<QPushButton>("saveButton")->click();
        });
        QCOMPARE(dayHours(17, 8), 2);
        QCOMPARE(dayHours(18, 8), 5);
        // The list stands on the same row number: the moved entry is now the second row.
        QCOMPARE(works->dayList().recNo(), 1);
        QVERIFY(works->dayList().locate("id_p", 18));
        change([&] {
            auto* types = editorWidget<QComboBox>("typeBox");
            types->setCurrentIndex(types->findData(7778));
            editorWidget<QPushButton>("saveButton")->click();
        });
    });
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(dayHours(18, 8), 0);
    QCOMPARE(dayHours(18, 8, 7778), 5);
    QCOMPARE(dayHours(17, 8), 2);
    QCOMPARE(db->scalar("select price::text from accounts_dep.fatigue where id_p=18").toString(), "180.0000");
    QCOMPARE(db->scalar("select d_date from accounts_dep.fatigue where id_p=18").toDate(), kDay);
}

// The timesheet refuses the write after the entry was written: the message shows the
// database's text, the editor stays open, and neither the entry nor the hours are there;
// a deletion refused the same way keeps the entry.
void TestMaintenance::failedWriteLeavesNothing() {
    inWindow([&] {
        add("Иванов Иван", 7777, "3");
        db->exec("create function accounts_dep.refuse_hours() returns trigger language plpgsql as "
                 "$$ begin raise exception 'табель закрыт'; end $$");
        db->exec("create trigger refuse_hours before insert or update on accounts_dep.h_tabel for each row "
                 "execute function accounts_dep.refuse_hours()");
        bool stillOpen = false;
        onModal["MaintenanceEntryEditor"] = [&] {
            editorWidget<QLineEdit>("hoursEdit")->setText("4");
            editor->setResult(-1);
            editorWidget<QPushButton>("saveButton")->click();
            stillOpen = editor->result() == -1;
            QCOMPARE(editorWidget<QLineEdit>("hoursEdit")->text(), "4");
        };
        inWin<QPushButton>("changeButton")->click();
        QVERIFY(stillOpen);
        add("Петров Пётр", 7777, "6");
        inWin<QPushButton>("deleteButton")->click();
        QCOMPARE(works->dayList().recordCount(), 1);
    });
    QCOMPARE(boxes->texts().size(), 4);
    for (int i : {0, 1, 3})
        QVERIFY2(boxes->texts()[i].contains("табель закрыт"), qPrintable(boxes->texts()[i]));
    QCOMPARE(db->scalar("select string_agg(id_p || ':' || cnt, ',') from accounts_dep.fatigue").toString(),
             "17:3");
    QCOMPARE(dayHours(17, 8), 3);
    QCOMPARE(dayHours(18, 8), -1);
}

// The server refuses the first save of the editor, started by Enter in the hours box: its text is
// shown, the editor stays open, and the next save, clicked with the mouse, goes through.
void TestMaintenance::errorOfAClickedSaveIsShownAndTheNextSaveWorks() {
    db->exec("create function accounts_dep.refuse_six() returns trigger language plpgsql as "
             "$$ begin if new.cnt = 6 then raise exception 'шесть часов не принимаются'; end if; "
             "return new; end $$");
    db->exec("create trigger refuse_six before insert on accounts_dep.fatigue for each row "
             "execute function accounts_dep.refuse_six()");
    bool stillOpen = false;
    inWindow([&] {
        onModal["WorkersDialog"] = [&] { pick("WorkersDialog", "Иванов Иван"); };
        onModal["NomenclatureGroupsDialog"] = [&] { pick("NomenclatureGroupsDialog", "Склад"); };
        onModal["MaintenanceEntryEditor"] = [&] {
            editorWidget<QPushButton>("workerButton")->click();
            editorWidget<QPushButton>("groupButton")->click();
            editor->show();
            editorWidget<QLineEdit>("hoursEdit")->setText("6");
            editor->setResult(-1);
            QTest::keyClick(editorWidget<QLineEdit>("hoursEdit"), Qt::Key_Return);
            stillOpen = editor->isVisible();
            editorWidget<QLineEdit>("hoursEdit")->setText("7");
            QTest::mouseClick(editorWidget<QPushButton>("saveButton"), Qt::LeftButton);
            editor->hide();
        };
        inWin<QPushButton>("addButton")->click();
    });
    QVERIFY(stillOpen);
    QCOMPARE(boxes->texts().size(), 1);
    QVERIFY2(boxes->texts()[0].contains("шесть часов не принимаются"), qPrintable(boxes->texts()[0]));
    QCOMPARE(boxes->shown[0].caption, "Ошибка");
    QCOMPARE(db->scalar("select string_agg(id_p || ':' || cnt, ',') from accounts_dep.fatigue").toString(),
             "17:7");
    QCOMPARE(dayHours(17, 8), 7);
}

// After deleting the last row of several the cursor stands on the new last row; a deletion in
// the middle keeps the row number.
void TestMaintenance::deletingTheLastRowKeepsTheCursorOnTheList() {
    inWindow([&] {
        for (const QString h : {"1", "2", "3", "4"})
            add("Иванов Иван", 7777, h);
        Dataset& list = works->dayList();
        QCOMPARE(list.recNo(), 1); // after a save the row number stays
        list.last();
        inWin<QPushButton>("deleteButton")->click();
        QCOMPARE(list.recordCount(), 3);
        QCOMPARE(list.recNo(), 3);
        QCOMPARE(list.fieldByName("cnt").asInteger(), 3);
        list.setRecNo(2);
        inWin<QPushButton>("deleteButton")->click();
        QCOMPARE(list.recNo(), 2);
        QCOMPARE(list.fieldByName("cnt").asInteger(), 3);
        QCOMPARE(inWin<QTableView>("dayGrid")->currentIndex().row(), 1);
    });
    QCOMPARE(dayHours(17, 8), 4);
}

// Opening on a Saturday ticks "Выходной"; the user's Sunday keeps it ticked (bold on red),
// Monday clears it; the day list follows the date.
void TestMaintenance::weekendRuleOfTheDayOffBox() {
    db->exec(
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values (17, 7777, 902, '2026-12-13', 12, 2026, 1, 6, 300, 1, 0)");
    window->journal().showDay(QDate(2026, 12, 12));
    inWindow([&] {
        auto* dayOff = inWin<QCheckBox>("dayOffCheck");
        auto* date = inWin<QDateEdit>("dateEdit");
        QCOMPARE(date->date(), QDate(2026, 12, 12));
        QVERIFY(dayOff->isChecked());
        QVERIFY(dayOff->font().bold());
        QCOMPARE(works->dayList().recordCount(), 0);
        QTest::keyEvent(QTest::Click, date, Qt::Key_Up);
        QCOMPARE(date->date(), QDate(2026, 12, 13));
        QVERIFY(dayOff->isChecked());
        QVERIFY(dayOff->font().bold());
        QCOMPARE(dayOff->palette().color(dayOff->backgroundRole()), QColor(Qt::red));
        QCOMPARE(works->dayList().recordCount(), 1);
        QCOMPARE(works->dayList().fieldByName("summ").asFloat(), 1800.0);
        QTest::keyEvent(QTest::Click, date, Qt::Key_Up);
        QVERIFY(!dayOff->isChecked());
        QVERIFY(!dayOff->font().bold());
        QVERIFY(dayOff->palette().color(dayOff->backgroundRole()) != QColor(Qt::red));
        QCOMPARE(works->dayList().recordCount(), 0);
        dayOff->click();
        QVERIFY(dayOff->font().bold());
        works->setResult(-1);
        QTest::keyEvent(QTest::Click, works, Qt::Key_Escape);
        QCOMPARE(works->result(), int(QDialog::Rejected));
    });
    // Back in the main window the journal shows the computer's date; the next opening shows that
    // working day, and the box left ticked is cleared.
    QCOMPARE(childNamed<QDateEdit>(window, "dateEdit")->date(), kDay);
    inWindow([&] {
        QCOMPARE(inWin<QDateEdit>("dateEdit")->date(), kDay);
        QVERIFY(!inWin<QCheckBox>("dayOffCheck")->isChecked());
        QVERIFY(!inWin<QCheckBox>("dayOffCheck")->font().bold());
    });
}

// Opened on a Saturday and then from a Thursday: the Thursday's entry is saved at the plain
// price without the day-off mark.
void TestMaintenance::dayOffOfASaturdayDoesNotReachAWeekday() {
    window->journal().showDay(QDate(2026, 12, 12));
    inWindow([&] { QVERIFY(inWin<QCheckBox>("dayOffCheck")->isChecked()); });
    window->journal().showDay(QDate(2026, 12, 10));
    inWindow([&] {
        QVERIFY(!inWin<QCheckBox>("dayOffCheck")->isChecked());
        add("Иванов Иван", 7777, "8");
    });
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(db->scalar("select price::float8 || ' ' || i_holiday || ' ' || d_date from accounts_dep.fatigue")
                 .toString(),
             QString("150 0 2026-12-10"));
}

void TestMaintenance::readOnlyRolesOnlyLook_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("editable");
    QTest::newRow("full access") << "73516280" << true;
    QTest::newRow("foreman") << "fendrok" << false;
    QTest::newRow("storekeeper") << "wirbo" << false;
    QTest::newRow("analyst") << "plutvi" << false;
}

// Who may not change the journal's records only looks at the maintenance entries: the window
// opens and shows the day, its buttons are off, and a double click on an entry opens nothing.
void TestMaintenance::readOnlyRolesOnlyLook() {
    QFETCH(QString, code);
    QFETCH(bool, editable);
    db->exec(
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values (17, 7778, 902, '2026-12-08', 12, 2026, 1, 6, 100, 0, 0)");
    delete window;
    window = new MainWindow(*database, *permissionsForCode(code));
    works = window->findChild<MaintenanceWorksWindow*>();
    editor = window->findChild<MaintenanceEntryEditor*>();
    window->journal().showDay(kDay);
    inWindow([&] {
        QCOMPARE(works->dayList().recordCount(), 1);
        for (const char* name : {"addButton", "changeButton", "deleteButton", "averageRateButton"})
            QCOMPARE(inWin<QPushButton>(name)->isEnabled(), editable);
        QVERIFY(inWin<QPushButton>("exitButton")->isEnabled());
        onModal["MaintenanceEntryEditor"] = [] {};
        auto* grid = inWin<QTableView>("dayGrid");
        grid->setCurrentIndex(grid->model()->index(0, 0));
        emit grid->doubleClicked(grid->currentIndex());
        inWin<QPushButton>("averageRateButton")->click();
    });
    QCOMPARE(onModal.shown.contains("MaintenanceEntryEditor"), editable);
    // The average-rate calculation prices the entry at 0 (no journal records) only when allowed.
    QCOMPARE(db->scalar("select price::float8 from accounts_dep.fatigue").toDouble(), editable ? 0.0 : 100.0);
}

// A worker with 12000 roubles over 160 journal hours in March: 75.00 on a plain entry, twice on
// a day off, 1.2 times at night, 2.2 times at night on a day off; 0 for a worker without March
// records; the maintenance entry and the other months keep their prices; with or without rows
// in the products table.
void TestMaintenance::averageRate_data() {
    QTest::addColumn<bool>("products");
    QTest::newRow("no products") << false;
    QTest::newRow("products") << true;
}

void TestMaintenance::averageRate() {
    QFETCH(bool, products);
    if (products)
        db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (5, 'A-12', 1), "
                 "(6, 'A-13', 1), (7, 'A-14', 1)");
    QCOMPARE(db->scalar("select count(*) from accounts_dep.izdel").toInt(), products ? 3 : 0);
    // March: 100 × 60 + (110 − 10) × 60 over 80 + 80 hours; February and April lie outside.
    db->exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
             "values ('2026-03-01', 1, 17, 5, 42, 60, 100, 0, 80, 'ok'), "
             "('2026-03-31', 2, 17, 5, 42, 60, 110, 10, 80, 'no'), "
             "('2026-02-28', 1, 17, 5, 42, 500, 10, 0, 1, 'ok'), ('2026-04-01', 1, 17, 5, 42, 500, 10, 0, 1, "
             "'ok'), "
             "('2026-04-01', 1, 18, 5, 42, 500, 10, 0, 1, 'ok')");
    db->exec(
        "insert into accounts_dep.fatigue (id, id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, "
        "price, i_holiday, i_night) values "
        "(1, 17, 7778, 902, '2026-03-02', 3, 2026, 1, 8, 180, 0, 0), "
        "(2, 17, 7778, 902, '2026-03-07', 3, 2026, 1, 8, 360, 1, 0), "
        "(3, 17, 7778, 902, '2026-03-20', 3, 2026, 1, 8, 216, 0, 1), "
        "(4, 17, 7778, 902, '2026-03-21', 3, 2026, 1, 8, 432, 1, 1), "
        "(5, 18, 7778, 902, '2026-03-02', 3, 2026, 1, 8, 180, 0, 0), "
        "(6, 17, 7777, 902, '2026-03-02', 3, 2026, 1, 8, 150, 0, 0), "
        "(7, 17, 7778, 902, '2026-04-02', 4, 2026, 1, 8, 180, 0, 0)");
    window->journal().showDay(QDate(2026, 3, 2));
    inWindow([&] {
        works->dayList().setRecNo(2);
        inWin<QPushButton>("averageRateButton")->click();
        QCOMPARE(works->dayList().recNo(), 2);
        QVERIFY(works->dayList().locate("id", 1));
        QCOMPARE(works->dayList().fieldByName("price").asFloat(), 75.0);
        QCOMPARE(works->dayList().fieldByName("summ").asFloat(), 600.0);
    });
    QCOMPARE(boxes->texts(), QStringList{});
    QCOMPARE(db->scalar("select string_agg(id || '=' || price, ' ' order by id) from accounts_dep.fatigue")
                 .toString(),
             "1=75.0000 2=150.0000 3=90.0000 4=165.0000 5=0.0000 6=150.0000 7=180.0000");
}

// December's calculation reads the journal up to 1 January of the next year, exclusive.
void TestMaintenance::averageRateOfDecemberReachesTheNewYear() {
    db->exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
             "values ('2026-12-31', 1, 17, 5, 42, 10, 100, 0, 10, 'ok'), "
             "('2027-01-01', 1, 17, 5, 42, 1000, 100, 0, 10, 'ok')");
    db->exec(
        "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
        "i_holiday, i_night) values (17, 7778, 902, '2026-12-08', 12, 2026, 1, 8, 180, 0, 0)");
    inWindow([&] { inWin<QPushButton>("averageRateButton")->click(); });
    QCOMPARE(db->scalar("select price::text from accounts_dep.fatigue").toString(), "100.0000");
}

QTEST_MAIN(TestMaintenance)
#include "test_maintenance.moc"
