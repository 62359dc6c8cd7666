// Products list and editor on a real database: adding, changing and deleting products with
// their statements, refusals, the value field, the search and the pick for the price editor.
#include "data/Database.h"
#include "data/Format.h"
#include "refbooks/ProductEditor.h"
#include "refbooks/ProductsDialog.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using Step = std::function<void(QDialog*)>;

// Types a text key by key, Cyrillic letters included.
static void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

class TestProducts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init();
    void cleanup();
    void add_data();
    void add();
    void change_data();
    void change();
    void massWithDatabaseSeparator_data();
    void massWithDatabaseSeparator();
    void valueFieldFilter_data();
    void valueFieldFilter();
    void groupBoxKeepsLastChoice();
    void deletion_data();
    void deletion();
    void failedDeletionLeavesEverything();
    void deletionCountsRecordsFromPreviousMonthOf2000_data();
    void deletionCountsRecordsFromPreviousMonthOf2000();
    void searchFilterAndItsPersistence();
    void pickHandsBackProduct();

private:
    // Runs the steps, one per modal showing, in order; each returns the window's result.
    void script(QList<Step> steps);
    int count(const QString& sql) { return db->scalar(sql).toInt(); }
    // Chooses the group with this id in the editor's group box (none for 0).
    void selectGroup(qint64 id) {
        groupBox->setCurrentIndex(id ? groupBox->findData(QVariant::fromValue<qint64>(id)) : -1);
    }
    qint64 chosenGroup() const {
        return groupBox->currentIndex() < 0 ? 0 : groupBox->currentData().toLongLong();
    }
    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    QList<Step> pending;
    ProductsDialog* dialog = nullptr;
    ProductEditor* editor = nullptr;
    // The list's parts.
    QLineEdit* searchEdit = nullptr;
    QTableView* grid = nullptr;
    QPushButton *addButton = nullptr, *changeButton = nullptr, *removeButton = nullptr, *exitButton = nullptr;
    // The editor's parts.
    QLineEdit *markEdit = nullptr, *rateEdit = nullptr;
    QComboBox* groupBox = nullptr;
    QPushButton* saveButton = nullptr;
};

void TestProducts::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    dm->decimalSeparator = QStringLiteral(".");
    boxes = new MessageRecorder;
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (100, 2, 'Корпуса'), "
             "(101, 2, 'Щиты'), (102, 1, 'Не группа')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, "
             "id_class_item) values (5, 'A-12', '', 6, 1.5, 100), (6, 'Щит-1', '', 6, 2, 101), "
             "(7, 'Б-3', '', 6, 4, 100)");
    dialog = new ProductsDialog(*dm);
    editor = dialog->findChild<ProductEditor*>();
    QVERIFY(editor);
    searchEdit = childNamed<QLineEdit>(dialog, "searchEdit");
    grid = childNamed<QTableView>(dialog, "listGrid");
    addButton = childNamed<QPushButton>(dialog, "addButton");
    changeButton = childNamed<QPushButton>(dialog, "changeButton");
    removeButton = childNamed<QPushButton>(dialog, "removeButton");
    exitButton = childNamed<QPushButton>(dialog, "exitButton");
    markEdit = childNamed<QLineEdit>(editor, "markEdit");
    rateEdit = childNamed<QLineEdit>(editor, "rateEdit");
    groupBox = childNamed<QComboBox>(editor, "groupBox");
    saveButton = childNamed<QPushButton>(editor, "saveButton");
    seams::setModalHandler([this](QDialog* w) {
        if (pending.isEmpty())
            return int(QDialog::Rejected);
        const Step step = pending.takeFirst();
        w->setResult(QDialog::Rejected);
        w->show();
        step(w);
        w->hide();
        return w->result();
    });
}

void TestProducts::cleanup() {
    seams::setModalHandler({});
    QVERIFY2(pending.isEmpty(), "a scripted window was not shown");
    pending.clear();
    delete dialog;
    dialog = nullptr;
    delete boxes;
    delete db;
}

void TestProducts::script(QList<Step> steps) {
    pending = std::move(steps);
}

// ---- Adding --------------------------------------------------------------------------------

void TestProducts::add_data() {
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("value");
    QTest::addColumn<qint64>("group");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::addColumn<QString>("stored");  // the mark as stored

    QTest::newRow("new mark, trimmed") << "  В-7 "
                                       << "12.5" << qint64(101) << ""
                                       << "В-7";
    QTest::newRow("apostrophes stored as typed") << "O'Brien ''x'"
                                                 << "3" << qint64(100) << ""
                                                 << "O'Brien ''x'";
    QTest::newRow("same mark") << "A-12"
                               << "1" << qint64(100) << "Такая марка изделия уже заведена!"
                               << "";
    QTest::newRow("other case, Latin") << " a-12 "
                                       << "1" << qint64(100) << "Такая марка изделия уже заведена!"
                                       << "";
    QTest::newRow("other case, Cyrillic") << "щИТ-1"
                                          << "1" << qint64(100) << "Такая марка изделия уже заведена!"
                                          << "";
    QTest::newRow("no mark") << "   "
                             << "1" << qint64(100) << "Все поля должны быть заполнены!"
                             << "";
    QTest::newRow("no value") << "Новое"
                              << " " << qint64(100) << "Все поля должны быть заполнены!"
                              << "";
    QTest::newRow("no group") << "Новое"
                              << "1" << qint64(0) << "Все поля должны быть заполнены!"
                              << "";
    QTest::newRow("two points") << "Новое"
                                << "1.2.3" << qint64(100) << "Расценка должна быть числом, например 12.5"
                                << "";
    QTest::newRow("lone point") << "Новое"
                                << "." << qint64(100) << "Расценка должна быть числом, например 12.5"
                                << "";
    // What a paste can put in the field, past its key filter.
    const QString outOfRange = "Недопустимое значение в поле «Расценка»: нужно число от 0 до 9 999 999,99.";
    QTest::newRow("negative, pasted") << "Новое"
                                      << "-5" << qint64(100) << outOfRange << "";
    QTest::newRow("huge, pasted") << "Новое"
                                  << "1e300" << qint64(100) << outOfRange << "";
}

void TestProducts::add() {
    QFETCH(QString, mark);
    QFETCH(QString, value);
    QFETCH(qint64, group);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    const int before = count("select count(*) from cmn_gds_and_srv.gds_and_srv");
    SqlRecorder sql;
    script({[&](QDialog*) {
                QTest::keyEvent(QTest::Click, dialog, Qt::Key_Return); // "Добавить" is the default button
            },
            [&](QDialog* w) {
                QCOMPARE(w, editor);
                QCOMPARE(editor->windowTitle(), QString("Заведение нового изделия (7)"));
                QVERIFY(markEdit->text().isEmpty());
                QVERIFY(rateEdit->text().isEmpty());
                QCOMPARE(groupBox->count(), 2); // level-2 items only, by caption
                QCOMPARE(groupBox->itemText(0), QString("Корпуса"));
                markEdit->setText(mark);
                rateEdit->setText(value);
                selectGroup(group);
                saveButton->click();
            }});
    dialog->browse();
    QVERIFY(!dialog->products().isOpen());
    if (message.isEmpty()) {
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(count("select count(*) from accounts_dep.izdel where marka=" + sqlQuote(stored) +
                       " and id_class_item=" + QString::number(group) + " and massa=" + value),
                 1);
        QVERIFY(sql.statements
                    .filter("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, "
                            "id_msm_bs, massa, id_class_item)VALUES(" +
                            sqlQuote(stored) + ", '', 6, " + value + ",:group)")
                    .size() == 1);
    } else {
        QCOMPARE(boxes->texts(), QStringList{message});
        QCOMPARE(boxes->shown.first().caption, QString("Ошибка"));
        QCOMPARE(boxes->shown.first().icon, QMessageBox::Critical);
        QCOMPARE(editor->result(), int(QDialog::Rejected)); // the editor stays open
        QCOMPARE(count("select count(*) from cmn_gds_and_srv.gds_and_srv"), before);
        QVERIFY(sql.statements.filter("INSERT", Qt::CaseInsensitive).isEmpty());
    }
}

// ---- Changing ------------------------------------------------------------------------------

void TestProducts::change_data() {
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("message");

    QTest::newRow("unchanged mark") << "Щит-1"
                                    << "";
    QTest::newRow("own mark in another case") << "ЩИТ-1"
                                              << "";
    QTest::newRow("new mark with apostrophe") << "Щит 'Б'"
                                              << "";
    QTest::newRow("mark of another product") << "б-3"
                                             << "Такая марка изделия уже заведена!";
    QTest::newRow("empty mark") << ""
                                << "Все поля должны быть заполнены!";
}

void TestProducts::change() {
    QFETCH(QString, mark);
    QFETCH(QString, message);
    script({[&](QDialog*) {
                QVERIFY(dialog->products().locate("id", 6));
                QCOMPARE(dialog->products().recNo(), 3); // A-12, Б-3, Щит-1
                QVERIFY(QTest::qWaitForWindowExposed(dialog));
                const QRect cell = grid->visualRect(grid->model()->index(2, 0));
                QTest::mouseEvent(QTest::MouseClick, grid->viewport(), Qt::LeftButton, {}, cell.center());
                QTest::mouseEvent(QTest::MouseDClick, grid->viewport(), Qt::LeftButton, {}, cell.center());
                QCOMPARE(dialog->products().recNo(), 3); // back on the same row after the editor
            },
            [&](QDialog*) {
                QCOMPARE(editor->windowTitle(), QString("Изменение данных изделия (7)"));
                QCOMPARE(markEdit->text(), QString("Щит-1"));
                QCOMPARE(rateEdit->text(), QString("2"));
                QCOMPARE(chosenGroup(), qint64(101));
                markEdit->setText(mark);
                rateEdit->setText("3.75");
                selectGroup(100);
                saveButton->click();
            }});
    dialog->browse();
    if (message.isEmpty()) {
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(db->scalar("select marka from accounts_dep.izdel where id=6").toString(), mark);
        QCOMPARE(db->scalar("select massa from accounts_dep.izdel where id=6").toDouble(), 3.75);
        QCOMPARE(db->scalar("select id_class_item from accounts_dep.izdel where id=6").toInt(), 100);
        QCOMPARE(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id_msm_bs=6 and "
                       "s_description=''"),
                 3);
    } else {
        QCOMPARE(boxes->texts(), QStringList{message});
        QCOMPARE(db->scalar("select marka from accounts_dep.izdel where id=6").toString(), QString("Щит-1"));
        QCOMPARE(db->scalar("select massa from accounts_dep.izdel where id=6").toDouble(), 2.0);
    }
}

// The value goes into a numeric column: whatever the database separator, the number typed is
// the number stored (a "," would split the statement's value list, an empty separator would
// turn 3.75 into 375).
void TestProducts::massWithDatabaseSeparator_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inStatement");
    QTest::newRow("point") << "."
                           << "3.75"
                           << "massa=3.75,";
    QTest::newRow("comma") << ","
                           << "3.75"
                           << "massa=3.75,";
    QTest::newRow("empty, before the first version check") << ""
                                                           << "3.75"
                                                           << "massa=3.75,";
    QTest::newRow("whole number") << ","
                                  << "12"
                                  << "massa=12,";
}

void TestProducts::massWithDatabaseSeparator() {
    QFETCH(QString, separator);
    QFETCH(QString, typed);
    QFETCH(QString, inStatement);
    dm->decimalSeparator = separator;
    SqlRecorder sql;
    script({[&](QDialog*) {
                QVERIFY(dialog->products().locate("id", 5));
                changeButton->click();
            },
            [&](QDialog*) {
                rateEdit->setText(typed);
                saveButton->click();
            }});
    dialog->browse();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(db->scalar("select massa from accounts_dep.izdel where id=5").toDouble(), typed.toDouble());
    const QStringList updates = sql.statements.filter("UPDATE cmn_gds_and_srv.gds_and_srv SET");
    QCOMPARE(updates.size(), 1);
    QVERIFY2(updates.first().contains(inStatement), qPrintable(updates.first()));
    QVERIFY(updates.first().endsWith(" where id=:id"));
}

void TestProducts::valueFieldFilter_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("comma becomes point") << "12,5"
                                         << "12.5";
    QTest::newRow("point stays") << "0.25"
                                 << "0.25";
    QTest::newRow("letters and blanks dropped") << "1a б2 -3e"
                                                << "123";
}

void TestProducts::valueFieldFilter() {
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    rateEdit->clear();
    typeText(rateEdit, keys);
    QCOMPARE(rateEdit->text(), shown);
    QTest::keyEvent(QTest::Click, rateEdit, Qt::Key_Backspace);
    QCOMPARE(rateEdit->text(), shown.chopped(1));
}

// The first addition offers no group and is refused; later additions offer the group chosen last.
void TestProducts::groupBoxKeepsLastChoice() {
    script({[&](QDialog*) { addButton->click(); },
            [&](QDialog*) {
                QCOMPARE(chosenGroup(), qint64(0));
                markEdit->setText("Новое");
                rateEdit->setText("1");
                saveButton->click();
                QCOMPARE(boxes->texts(), QStringList{"Все поля должны быть заполнены!"});
                selectGroup(101);
                saveButton->click();
            },
            [&](QDialog*) { addButton->click(); }, [&](QDialog*) { QCOMPARE(chosenGroup(), qint64(101)); }});
    dialog->browse();
    dialog->browse();
    QCOMPARE(count("select count(*) from accounts_dep.izdel where marka='Новое' and id_class_item=101"), 1);
}

// ---- Deleting ------------------------------------------------------------------------------

void TestProducts::deletion_data() {
    QTest::addColumn<int>("product");
    QTest::addColumn<QList<int>>("answers"); // QMessageBox::Yes / No, in the order asked
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("productGone");
    QTest::addColumn<int>("pricesLeft");
    QTest::addColumn<int>("recordsLeft");

    const QString prices = "По изделию есть расценки они будут удалены!!!";
    const QString records = "По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут "
                            "удалены. Удалить изделие? ";
    const QString plain = "Удалить изделие? ";
    const int Y = QMessageBox::Yes, N = QMessageBox::No;
    // Product 5 has two operation prices and two work records, 6 one operation price, 7 nothing.
    QTest::newRow("prices yes, records yes")
        << 5 << QList<int>{Y, Y} << QStringList{prices, records} << true << 0 << 0;
    QTest::newRow("prices no, records yes")
        << 5 << QList<int>{N, Y} << QStringList{prices, records} << true << 2 << 0;
    QTest::newRow("prices yes, records no: nothing deleted")
        << 5 << QList<int>{Y, N} << QStringList{prices, records} << false << 2 << 2;
    QTest::newRow("prices no, records no")
        << 5 << QList<int>{N, N} << QStringList{prices, records} << false << 2 << 2;
    QTest::newRow("prices yes, product yes")
        << 6 << QList<int>{Y, Y} << QStringList{prices, plain} << true << 0 << 2;
    QTest::newRow("prices no, product yes")
        << 6 << QList<int>{N, Y} << QStringList{prices, plain} << true << 1 << 2;
    QTest::newRow("prices yes, product no")
        << 6 << QList<int>{Y, N} << QStringList{prices, plain} << false << 1 << 2;
    QTest::newRow("bare product, yes") << 7 << QList<int>{Y} << QStringList{plain} << true << 0 << 2;
    QTest::newRow("bare product, no") << 7 << QList<int>{N} << QStringList{plain} << false << 0 << 2;
}

void TestProducts::deletion() {
    QFETCH(int, product);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, questions);
    QFETCH(bool, productGone);
    QFETCH(int, pricesLeft);
    QFETCH(int, recordsLeft);
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска'), (4, 'Сборка')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
             "(43, 4, 5, 1, 0), (44, 3, 6, 0, 0)");
    db->exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (17, 'Иванов Иван', 'Маляр')");
    const QString rec =
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "
        "time, ok, vvod, prize, id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use) "
        "values ('%1', 1, 17, %2, %3, 12.5, 10, 0, 0, 8, 'no', '%1', 0, 0, 0, 0, 0, 0)";
    db->exec(rec.arg("08.12.2026").arg(5).arg(42));
    db->exec(rec.arg("15.03.2001").arg(5).arg(43));

    // The product's mark, as the questions are to name it.
    const QString mark =
        db->scalar(
              QString("select trim(s_caption) from cmn_gds_and_srv.gds_and_srv where id=%1").arg(product))
            .toString();
    for (int a : answers)
        boxes->answers << QMessageBox::StandardButton(a);
    SqlRecorder sql;
    script({[&](QDialog*) {
        QVERIFY(dialog->products().locate("id", product));
        removeButton->click();
        QVERIFY(dialog->products().isOpen());
        QCOMPARE(dialog->products().recNo(), 1);
        QCOMPARE(dialog->products().recordCount(), productGone ? 2 : 3);
    }});
    dialog->browse();

    QCOMPARE(boxes->texts(), questions);
    for (const seams::Message& m : boxes->shown) {
        // Every question names the product, and Enter answers «Нет».
        QCOMPARE(m.detail, mark);
        QCOMPARE(m.defaultButton, QMessageBox::No);
        QCOMPARE(m.caption, QString("Удаление"));
        QCOMPARE(m.icon, QMessageBox::Question);
        QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    const QString id = QString::number(product);
    QCOMPARE(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id=" + id), productGone ? 0 : 1);
    QCOMPARE(count("select count(*) from accounts_dep.oper where i_id=" + id), pricesLeft);
    QCOMPARE(count("select count(*) from accounts_dep.smena"), recordsLeft);
    if (productGone)
        QVERIFY(sql.statements.contains("delete from cmn_gds_and_srv.gds_and_srv  where id=:id"));
    if (pricesLeft == 0 && product != 7)
        QVERIFY(sql.statements.contains("delete from accounts_dep.oper o where o.i_id =:id"));
    if (product == 5 && recordsLeft == 0)
        QVERIFY(sql.statements.contains("delete from accounts_dep.smena s where s.i_id =:id"));
}

// The product goes with its prices and work records in one transaction: when the database
// refuses the last statement, the prices and records deleted before it are back.
void TestProducts::failedDeletionLeavesEverything() {
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0)");
    db->exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "
             "time, ok, vvod, prize, id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use) "
             "values ('08.12.2026', 1, 17, 5, 42, 12.5, 10, 0, 0, 8, 'no', '08.12.2026', 0, 0, 0, 0, 0, 0)");
    db->exec("create function PG_TEMP.refuse() returns trigger language plpgsql as "
             "$$ begin raise exception 'изделие занято'; end $$");
    db->exec("create trigger refuse_delete before delete on cmn_gds_and_srv.gds_and_srv "
             "for each row execute function PG_TEMP.refuse()");
    boxes->answers << QMessageBox::Yes << QMessageBox::Yes;
    SqlRecorder sql;
    script({[&](QDialog*) {
        QVERIFY(dialog->products().locate("id", 5));
        clickOn(removeButton);
        // The list stays usable: it was read again after the refusal.
        QVERIFY(dialog->products().isOpen());
        QVERIFY(dialog->products().locate("id", 5));
    }});
    dialog->browse();
    // The server's refusal is shown after the two questions, as an error.
    QCOMPARE(boxes->shown.size(), 3);
    QVERIFY2(boxes->shown.last().text.contains("изделие занято"), qPrintable(boxes->shown.last().text));
    QCOMPARE(boxes->shown.last().icon, QMessageBox::Critical);
    QVERIFY(sql.statements.contains("delete from accounts_dep.oper o where o.i_id =:id"));
    QVERIFY(sql.statements.contains("delete from accounts_dep.smena s where s.i_id =:id"));
    QCOMPARE(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id=5"), 1);
    QCOMPARE(count("select count(*) from accounts_dep.oper where i_id=5"), 1);
    QCOMPARE(count("select count(*) from accounts_dep.smena where i_id=5"), 1);
    // The connection is usable again afterwards.
    QCOMPARE(dm->readValue("select count(*) from accounts_dep.oper").toInt(), 1);
}

// Work records are counted from the first day of the previous month of the year 2000 on: a
// record on that day asks about the records, one of the day before does not.
void TestProducts::deletionCountsRecordsFromPreviousMonthOf2000_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("recordDay");
    QTest::addColumn<QString>("question");
    const QString records = "По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут "
                            "удалены. Удалить изделие? ";
    const QString plain = "Удалить изделие? ";
    QTest::newRow("January: 15.11.2000") << QDate(2027, 1, 20) << "15.11.2000" << plain;
    QTest::newRow("January: 30.11.2000") << QDate(2027, 1, 20) << "30.11.2000" << plain;
    QTest::newRow("January: 01.12.2000") << QDate(2027, 1, 20) << "01.12.2000" << records;
    QTest::newRow("March: 31.01.2000") << QDate(2027, 3, 2) << "31.01.2000" << plain;
    QTest::newRow("March: 01.02.2000") << QDate(2027, 3, 2) << "01.02.2000" << records;
    QTest::newRow("March: 15.11.2000") << QDate(2027, 3, 2) << "15.11.2000" << records;
}

void TestProducts::deletionCountsRecordsFromPreviousMonthOf2000() {
    QFETCH(QDate, today);
    QFETCH(QString, recordDay);
    QFETCH(QString, question);
    FixedClock clock(today.startOfDay());
    db->exec(
        QString("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "
                "time, ok, vvod, prize, id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use) values "
                "('%1', 1, 17, 7, 1, 1, 1, 0, 0, 1, 'no', '%1', 0, 0, 0, 0, 0, 0)")
            .arg(recordDay));
    boxes->answers << QMessageBox::No;
    script({[&](QDialog*) {
        QVERIFY(dialog->products().locate("id", 7));
        removeButton->click();
    }});
    dialog->browse();
    QCOMPARE(boxes->texts(), QStringList{question});
}

// ---- Search and pick -----------------------------------------------------------------------

void TestProducts::searchFilterAndItsPersistence() {
    script({[&](QDialog*) {
                QVERIFY(!searchEdit->isHidden());
                typeText(searchEdit, "щ"); // prefix, any letter case
                QCOMPARE(dialog->products().recordCount(), 1);
                QCOMPARE(dialog->products().fieldByName("marka").asString(), QString("Щит-1"));
                searchEdit->setText("");
                QCOMPARE(dialog->products().recordCount(), 3);
                searchEdit->setText("'");
                QCOMPARE(dialog->products().recordCount(), 0);
                searchEdit->setText("A");
                QCOMPARE(dialog->products().recordCount(), 1);
            },
            [&](QDialog*) {
                // The search text and the filter are still there on the next opening.
                QCOMPARE(searchEdit->text(), QString("A"));
                QCOMPARE(dialog->products().recordCount(), 1);
                searchEdit->clear();
                QCOMPARE(dialog->products().recNo(), 1);
                QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Down);
                QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Down);
                QCOMPARE(dialog->products().recNo(), 3);
                QCOMPARE(grid->currentIndex().row(), 2);
                QTest::keyEvent(QTest::Click, searchEdit, Qt::Key_Up);
                QCOMPARE(dialog->products().recNo(), 2);
                QCOMPARE(searchEdit->text(), QString()); // the two keys do not edit the field
                searchEdit->setText("Б");
            },
            [&](QDialog*) {
                // A pick clears the search and hides the field afterwards.
                QCOMPARE(searchEdit->text(), QString());
                QCOMPARE(dialog->products().recordCount(), 3);
                searchEdit->setText("щ");
                QCOMPARE(dialog->products().recordCount(), 1);
                exitButton->click();
            },
            [&](QDialog*) {
                QVERIFY(searchEdit->isHidden()); // list mode does not show it again
                // ... and the search of the pick no longer filters the list nobody can see it in.
                QCOMPARE(searchEdit->text(), QString());
                QCOMPARE(dialog->products().recordCount(), 3);
                QCOMPARE(changeButton->text(), QString("Изменить"));
                QVERIFY(!addButton->isHidden() && !removeButton->isHidden());
                QVERIFY(addButton->isDefault());
            }});
    dialog->browse();
    dialog->browse();
    QVERIFY(!dialog->pickProduct());
    dialog->browse();
    QVERIFY(!dialog->products().isOpen());
}

void TestProducts::pickHandsBackProduct() {
    db->exec("update cmn_gds_and_srv.gds_and_srv set s_caption='  Б-3  ' where id=7");
    script({[&](QDialog*) {
                QCOMPARE(dialog->mode(), ListDialog::Mode::Pick);
                QCOMPARE(changeButton->text(), QString("Выбрать"));
                QVERIFY(changeButton->isDefault());
                QVERIFY(addButton->isHidden() && removeButton->isHidden());
                QVERIFY(dialog->products().locate("id", 7));
                QTest::keyEvent(QTest::Click, dialog, Qt::Key_Return);
            },
            [&](QDialog*) {
                searchEdit->setText("нет такого");
                changeButton->click();
            }});
    const std::optional<Product> picked = dialog->pickProduct();
    QVERIFY(picked);
    QCOMPARE(picked->mark, QString("Б-3"));
    QCOMPARE(picked->id, qint64(7));
    QVERIFY(!changeButton->isDefault());
    QVERIFY(searchEdit->isHidden());
    QVERIFY(!dialog->products().isOpen());
    // An empty list hands nothing back.
    QVERIFY(!dialog->pickProduct());
    QVERIFY(dialog->products().filter().isEmpty() || !dialog->products().isOpen());
}

QTEST_MAIN(TestProducts)
#include "test_products.moc"
