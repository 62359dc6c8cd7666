// Norms window on a real database, opened the way the operation-price list opens it: the grid
// of one operation price's norms, storing a row on leaving a changed column, the operation
// price of a new norm, the last norm that cannot be deleted (also by two workstations at once),
// the price mask, Esc and Save.
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Format.h"
#include "data/Transaction.h"
#include "records/NormStore.h"
#include "refbooks/NormsDialog.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

using Step = std::function<void(QDialog*)>;

class TestNorms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showsNormsOfOnePriceSorted();
    void priceMask_data();
    void priceMask();
    void changeStoredOnLeavingColumn();
    void newNormGetsOperationPrice_data();
    void newNormGetsOperationPrice();
    void untouchedNewRowIsDropped();
    void deleteKeepsLastNorm_data();
    void deleteKeepsLastNorm();
    void twoWorkstationsKeepTheLastNorm_data();
    void twoWorkstationsKeepTheLastNorm();
    void escStoresPendingChange();
    void notANumberRefused_data();
    void notANumberRefused();
    void newRowTypedByKeyboardStaysInView();
    void refusedNewRowStaysAsTyped();
    void normWithoutPriceRefused_data();
    void normWithoutPriceRefused();

private:
    // Opens the norms window as the operation-price list does for the given operation price,
    // running the step while the window is shown.
    void openFromPriceList(int operId, const Step& step);
    // Types a text into a cell of the grid and leaves the cell with the given key.
    void typeInto(int row, int column, const QString& text, Qt::Key leave = Qt::Key_Tab);
    // Types each character into whatever has the focus at that moment, as a keyboard does.
    static void typeKeys(const QString& text) {
        for (QChar c : text)
            QTest::keyEvent(QTest::Click, QApplication::focusWidget(), c.toLatin1());
    }
    QString cell(int row, int column) { return table->data(table->index(row, column)).toString(); }
    QVariant scalar(const QString& sql) { return db->scalar(sql); }
    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    MessageRecorder* boxes = nullptr;
    Step pending;
    // The operation-price list of the list window that owns the norms window.
    Dataset* prices = nullptr;
    NormsDialog* norms = nullptr;
    NormsGrid* grid = nullptr;
    NormsTable* table = nullptr; // what the grid shows
    QPushButton *saveButton = nullptr, *removeButton = nullptr;
};

void TestNorms::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void TestNorms::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    boxes = new MessageRecorder;
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (100, 2, 'Корпуса')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, "
             "id_class_item) values (5, 'A-12', '', 6, 1, 100), (6, 'Б-3', '', 6, 1, 100)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
             "(43, 3, 6, 0, 0), (44, 3, 5, 1, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 20, 12, 5), "
             "(42, 10, 10.5, 0), (43, 15, 7, 0)");
    prices = new Dataset;
    prices->setSql(Database::operationPricesSql());
    norms = new NormsDialog(*dm, *prices);
    grid = childNamed<NormsGrid>(norms, "normsGrid");
    table = qobject_cast<NormsTable*>(grid->model());
    QVERIFY(table);
    saveButton = childNamed<QPushButton>(norms, "saveButton");
    removeButton = childNamed<QPushButton>(norms, "removeButton");
    seams::setModalHandler([this](QDialog* w) {
        w->setResult(QDialog::Rejected);
        w->show();
        QApplication::setActiveWindow(w);
        if (pending)
            pending(w);
        pending = {};
        w->hide();
        return w->result();
    });
}

void TestNorms::cleanup() {
    seams::setModalHandler({});
    delete norms;
    delete prices;
    delete boxes;
    delete db;
}

void TestNorms::openFromPriceList(int operId, const Step& step) {
    Dataset& oper = *prices;
    oper.open();
    pending = step;
    // An operation price without norms is not in the list; its window is opened by its id.
    norms->editNorms(oper.locate("id", operId) ? oper.fieldByName("id").asInteger() : operId);
}

void TestNorms::typeInto(int row, int column, const QString& text, Qt::Key leave) {
    const QModelIndex idx = table->index(row, column);
    grid->setCurrentIndex(idx);
    grid->edit(idx);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            editor = e; // closed editors are hidden until they are deleted
    QVERIFY(editor);
    editor->setText(text);
    QTest::keyEvent(QTest::Click, editor, leave);
}

void TestNorms::showsNormsOfOnePriceSorted() {
    openFromPriceList(42, [&](QDialog* w) {
        QCOMPARE(w, norms);
        QCOMPARE(w->windowTitle(), QString("Норматив"));
        QCOMPARE(table->norms().param("o_id").toInt(), 42);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(cell(0, 0), QString("10"));
        QCOMPARE(cell(0, 1), QString("10,50"));
        QCOMPARE(cell(1, 0), QString("20"));
        QCOMPARE(cell(1, 2), QString("5"));
        const QStringList titles{"Норматив", "Цена", "Премия, %"};
        const QList<int> widths{133, 105, 82};
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(table->headerData(c, Qt::Horizontal).toString(), titles[c]);
            QCOMPARE(grid->columnWidth(c), widths[c]);
        }
        QVERIFY(grid->horizontalHeader()->font().bold());
        QVERIFY(saveButton->isDefault());
    });
    // The next opening shows only the norms of the other operation price.
    openFromPriceList(43, [&](QDialog*) {
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(cell(0, 1), QString("7,00"));
    });
}

void TestNorms::priceMask_data() {
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("shown");
    QTest::newRow("12.5") << 12.5 << "12,50";
    QTest::newRow("7") << 7.0 << "7,00";
    QTest::newRow("0.125") << 0.125 << "0,125";
    QTest::newRow("four decimals") << 0.1256 << "0,126";
    QTest::newRow("thousands without a group separator") << 1234.5 << "1234,50";
}

void TestNorms::priceMask() {
    QFETCH(double, price);
    QFETCH(QString, shown);
    db->exec("update accounts_dep.norm set price=" + formatGeneral(price) + " where o_id=43");
    openFromPriceList(43, [&](QDialog*) { QCOMPARE(cell(0, 1), shown); });
    QLocale::setDefault(QLocale::c());
    QCOMPARE(NormsTable::priceText(price), QString(shown).replace(',', '.'));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void TestNorms::changeStoredOnLeavingColumn() {
    openFromPriceList(42, [&](QDialog*) {
        typeInto(0, 1, "11,25", Qt::Key_Tab);
        QCOMPARE(grid->currentIndex(), table->index(0, 2));
        QCOMPARE(scalar("select price from accounts_dep.norm where o_id=42 and norma=10").toDouble(), 11.25);
        QCOMPARE(cell(0, 1), QString("11,25"));
        // Leaving an unchanged column sends nothing.
        SqlRecorder sql;
        typeInto(0, 2, "0", Qt::Key_Tab);
        QVERIFY(sql.statements.isEmpty());
        typeInto(1, 0, "25", Qt::Key_Tab);
        QCOMPARE(
            scalar("select count(*) from accounts_dep.norm where o_id=42 and norma=25 and price=12").toInt(),
            1);
    });
}

void TestNorms::newNormGetsOperationPrice_data() {
    QTest::addColumn<int>("oper");
    QTest::addColumn<int>("normsBefore");
    QTest::newRow("price with norms, Down on the last norm") << 42 << 2;
    QTest::newRow("price without norms starts on a new row") << 44 << 0;
}

void TestNorms::newNormGetsOperationPrice() {
    QFETCH(int, oper);
    QFETCH(int, normsBefore);
    openFromPriceList(oper, [&](QDialog*) {
        if (normsBefore > 0) {
            grid->setCurrentIndex(table->index(normsBefore - 1, 0));
            QTest::keyEvent(QTest::Click, grid, Qt::Key_Down);
        }
        QVERIFY(table->hasNewRow());
        QCOMPARE(grid->currentIndex().row(), table->newRowIndex());
        QCOMPARE(grid->currentIndex().row(), normsBefore);
        typeInto(normsBefore, 0, "30", Qt::Key_Tab);
        // Without its price the new norm waits in its row.
        QCOMPARE(scalar("select count(*) from accounts_dep.norm where norma=30").toInt(), 0);
        QVERIFY(table->hasNewRow());
        QCOMPARE(grid->currentIndex(), table->index(normsBefore, 1));
        typeInto(normsBefore, 1, "9.75", Qt::Key_Tab);
        // Stored as soon as the price's column is left, with the operation price it was opened for.
        QCOMPARE(scalar("select o_id from accounts_dep.norm where norma=30").toInt(), oper);
        QVERIFY(!table->hasNewRow());
        QCOMPARE(grid->currentIndex(), table->index(normsBefore, 2));
        typeInto(normsBefore, 2, "3", Qt::Key_Tab);
        QCOMPARE(table->rowCount(), normsBefore + 1);
        saveButton->click();
    });
    QCOMPARE(norms->result(), int(QDialog::Accepted));
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where o_id=" + QString::number(oper) +
                    " and norma=30 and price=9.75 and prize=3")
                 .toInt(),
             1);
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where o_id is null").toInt(), 0);
    // The shared price list was read afresh and stands on the operation price again.
    QVERIFY(prices->locate("id", oper));
    QCOMPARE(prices->fieldByName("cena").asFloat(), 9.75);
    QCOMPARE(prices->fieldByName("norma").asInteger(), normsBefore + 1);
}

void TestNorms::untouchedNewRowIsDropped() {
    openFromPriceList(42, [&](QDialog*) {
        grid->setCurrentIndex(table->index(1, 1));
        QTest::keyEvent(QTest::Click, grid, Qt::Key_Down);
        QCOMPARE(table->rowCount(), 3);
        QTest::keyEvent(QTest::Click, grid, Qt::Key_Up);
        QCOMPARE(table->rowCount(), 2);
        QVERIFY(!table->hasNewRow());
        QCOMPARE(grid->currentIndex(), table->index(1, 1));
        QTest::keyEvent(QTest::Click, grid, Qt::Key_Insert);
        QCOMPARE(table->rowCount(), 3);
        saveButton->click();
    });
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where o_id=42").toInt(), 2);
}

// "Удалить" removes the current norm without a question, but never the last one; after
// "Сохранить" the price list shows the new lowest price and number of norms.
void TestNorms::deleteKeepsLastNorm_data() {
    QTest::addColumn<int>("oper");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("left");
    QTest::addColumn<double>("minPrice");
    QTest::newRow("one of two norms") << 42 << 0 << 1 << 12.0;
    QTest::newRow("the only norm stays") << 43 << 0 << 1 << 7.0;
}

void TestNorms::deleteKeepsLastNorm() {
    QFETCH(int, oper);
    QFETCH(int, row);
    QFETCH(int, left);
    QFETCH(double, minPrice);
    openFromPriceList(oper, [&](QDialog*) {
        grid->setCurrentIndex(table->index(row, 1));
        removeButton->click();
        QCOMPARE(table->rowCount(), left);
        removeButton->click(); // never below one norm
        QCOMPARE(table->rowCount(), 1);
        saveButton->click();
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where o_id=" + QString::number(oper)).toInt(), 1);
    QVERIFY(prices->locate("id", oper));
    QCOMPARE(prices->fieldByName("cena").asFloat(), minPrice);
    QCOMPARE(prices->fieldByName("norma").asInteger(), 1);
}

// Two workstations delete the two norms of operation price 42 at the same moment: this window by
// "Удалить" on the norm 10, another session through the store on the norm 20. A third session
// holds both norms' rows until both deletes are under way, so neither can finish before the
// other has begun. The deletes take turns: the first one deletes its norm, the second finds the
// last norm and keeps it without a word, as the window always does; the price keeps one norm.
void TestNorms::twoWorkstationsKeepTheLastNorm_data() {
    QTest::addColumn<bool>("windowFirst");
    QTest::addColumn<int>("normLeft");
    QTest::newRow("the window's delete comes first") << true << 20;
    QTest::newRow("the other workstation's delete comes first") << false << 10;
}

void TestNorms::twoWorkstationsKeepTheLastNorm() {
    QFETCH(bool, windowFirst);
    QFETCH(int, normLeft);
    const qint64 norm20 = scalar("select id from accounts_dep.norm where o_id=42 and norma=20").toLongLong();
    const QString connection = buildConnectionString(db->commandLine());
    // Sessions of the database waiting for a lock.
    const QString waitingSql = QStringLiteral("select count(*) from pg_stat_activity where "
                                              "datname=current_database() and wait_event_type='Lock'");
    std::atomic<bool> held = false, oneWaits = false, holderTimedOut = false;
    std::atomic<int> otherResult = -1; // 1 deleted, 0 kept, 2 failed
    std::thread holder([&] {
        Database holding(nullptr, "holding_session"), watching(nullptr, "watching_session");
        holding.connection().setConnectionString(connection);
        holding.connection().open();
        watching.connection().setConnectionString(connection);
        watching.connection().open();
        Transaction hold(holding);
        holding.readValue(
            "select count(*) from (select id from accounts_dep.norm where o_id=42 for update) n");
        held = true;
        QElapsedTimer waited;
        waited.start();
        for (int waiting = 0; waiting < 2 && !waited.hasExpired(30000); QThread::msleep(20)) {
            waiting = watching.readValue(waitingSql).toInt();
            if (waiting >= 1)
                oneWaits = true;
        }
        holderTimedOut = waited.hasExpired(30000);
        // The rows are let go here (rolled back): both deletes go on.
    });
    std::thread other([&] {
        Database second(nullptr, "second_workstation");
        try {
            second.connection().setConnectionString(connection);
            second.connection().open();
            while (!(windowFirst ? oneWaits.load() : held.load()) && !holderTimedOut)
                QThread::msleep(10);
            otherResult = deleteNorm(second, norm20, 42) ? 1 : 0;
        } catch (const DbError& e) {
            qWarning("%s", qPrintable(e.message));
            otherResult = 2;
        }
    });
    openFromPriceList(42, [&](QDialog*) {
        QTRY_VERIFY_WITH_TIMEOUT(windowFirst ? held.load() : oneWaits.load(), 30000);
        grid->setCurrentIndex(table->index(0, 1)); // the norm 10
        removeButton->click();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(cell(0, 0), QString::number(normLeft));
        saveButton->click();
    });
    holder.join();
    other.join();
    QVERIFY(!holderTimedOut);
    QCOMPARE(otherResult.load(), windowFirst ? 0 : 1);
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(scalar("select string_agg(norma::text, ',') from accounts_dep.norm where o_id=42").toString(),
             QString::number(normLeft));
}

void TestNorms::escStoresPendingChange() {
    prices->open();
    QVERIFY(prices->locate("id", 43));
    const int at = prices->recNo();
    openFromPriceList(43, [&](QDialog*) {
        // A value taken into the row, the column not left yet.
        QVERIFY(table->setData(table->index(0, 1), "6,5"));
        QVERIFY(table->modified());
        QCOMPARE(scalar("select price from accounts_dep.norm where o_id=43").toDouble(), 7.0);
        QTest::keyEvent(QTest::Click, grid, Qt::Key_Escape);
    });
    QCOMPARE(norms->result(), int(QDialog::Accepted));
    QCOMPARE(scalar("select price from accounts_dep.norm where o_id=43").toDouble(), 6.5);
    QCOMPARE(prices->recNo(), at);
    QCOMPARE(prices->fieldByName("cena").asFloat(), 6.5);
}

void TestNorms::notANumberRefused_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("price with two points") << 1 << "1.2.3"
                                           << "«1.2.3» не является числом";
    QTest::newRow("lone point") << 1 << "."
                                << "«.» не является числом";
    QTest::newRow("norm with a fraction") << 0 << "2,5"
                                          << "«2,5» не является целым числом";
    QTest::newRow("bonus in letters") << 2 << "пять"
                                      << "«пять» не является целым числом";
    QTest::newRow("negative norm") << 0 << "-3"
                                   << "Норматив не может быть отрицательным.";
    QTest::newRow("negative price") << 1 << "-0,5"
                                    << "Цена не может быть отрицательной.";
    QTest::newRow("negative bonus") << 2 << "-1"
                                    << "Премия не может быть отрицательной.";
    QTest::newRow("price beyond any real one") << 1 << "5000000"
                                               << "Цена больше 1000000 р. не бывает: проверьте число.";
}

void TestNorms::notANumberRefused() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, message);
    openFromPriceList(43, [&](QDialog*) {
        typeInto(0, column, text, Qt::Key_Tab);
        QCOMPARE(boxes->texts(), QStringList{message});
        QVERIFY(!table->modified());
        // The cell stays in editing with the text typed.
        QStringList open;
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                open << e->text();
        QCOMPARE(open, QStringList{text});
        QCOMPARE(grid->currentIndex(), table->index(0, column));
        saveButton->click();
    });
    QCOMPARE(scalar("select norma||'/'||price||'/'||prize from accounts_dep.norm where o_id=43").toString(),
             QString("15/7/0"));
}

// A new norm typed the way a user types it: Down on the last norm, the digits straight into the
// grid, Tab to the price. The row stays in the grid with what was typed, in its place by norm,
// and the price goes into the same row.
void TestNorms::newRowTypedByKeyboardStaysInView() {
    openFromPriceList(42, [&](QDialog*) {
        QVERIFY(QTest::qWaitForWindowActive(norms));
        // A click on the last norm, as the user starts.
        clickOn(grid->viewport(), grid->visualRect(table->index(1, 0)).center());
        QCOMPARE(grid->currentIndex(), table->index(1, 0));
        QTest::keyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(table->hasNewRow());
        typeKeys("15");
        QTest::keyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Tab);
        // Without its price the new norm waits at the end, on its price.
        QCOMPARE(table->rowCount(), 3);
        QVERIFY(table->hasNewRow());
        QCOMPARE(grid->currentIndex(), table->index(2, 1));
        typeKeys("9,5");
        QTest::keyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Tab);
        // Stored, and sorted in between the norms 10 and 20 with the cursor going along.
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(cell(1, 0), QString("15"));
        QCOMPARE(cell(1, 1), QString("9,50"));
        QCOMPARE(grid->currentIndex(), table->index(1, 2));
        saveButton->click();
    });
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(
        scalar("select count(*) from accounts_dep.norm where o_id=42 and norma=15 and price=9.5").toInt(), 1);
}

// A new norm the database refuses: its message is shown and the row stays in the grid with what
// was typed; once the cause is gone it is stored.
void TestNorms::refusedNewRowStaysAsTyped() {
    db->exec("create function refuse_norm() returns trigger language plpgsql as $$ begin raise exception "
             "'norm refused'; end $$");
    db->exec("create trigger refuse_norm before insert on accounts_dep.norm for each row execute function "
             "refuse_norm()");
    openFromPriceList(42, [&](QDialog*) {
        grid->setCurrentIndex(table->index(1, 0));
        QTest::keyEvent(QTest::Click, grid, Qt::Key_Down);
        typeInto(2, 0, "30", Qt::Key_Tab);
        typeInto(2, 1, "8", Qt::Key_Tab);
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY(boxes->shown[0].text.contains("norm refused"));
        QVERIFY(table->hasNewRow());
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(cell(2, 0), QString("30"));
        db->exec("drop trigger refuse_norm on accounts_dep.norm");
        saveButton->click();
    });
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where o_id=42 and norma=30").toInt(), 1);
}

void TestNorms::normWithoutPriceRefused_data() {
    QTest::addColumn<QString>("how"); // how the user leaves the norm without its price
    QTest::newRow("new row, Сохранить") << "save";
    QTest::newRow("new row, Esc") << "esc";
    QTest::newRow("new row, Up to another norm") << "up";
    QTest::newRow("stored norm, price cleared") << "clear";
}

// A norm is never stored without its price: the window says so, keeps the row as typed and
// stays open; the operation price keeps its lowest price.
void TestNorms::normWithoutPriceRefused() {
    QFETCH(QString, how);
    openFromPriceList(42, [&](QDialog*) {
        if (how == "clear") {
            typeInto(0, 1, "", Qt::Key_Tab);
        } else {
            grid->setCurrentIndex(table->index(1, 0));
            QTest::keyEvent(QTest::Click, grid, Qt::Key_Down);
            typeInto(2, 0, "30", Qt::Key_Tab);
            QVERIFY(boxes->shown.isEmpty());
            if (how == "save")
                saveButton->click();
            else if (how == "esc")
                QTest::keyEvent(QTest::Click, norms, Qt::Key_Escape);
            else
                QTest::keyEvent(QTest::Click, grid, Qt::Key_Up);
        }
        QCOMPARE(boxes->texts(), QStringList{"У норматива должна быть цена!"});
        QVERIFY(norms->isVisible());
        if (how != "clear") {
            QVERIFY(table->hasNewRow());
            QCOMPARE(cell(2, 0), QString("30"));
        }
    });
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where price is null").toInt(), 0);
    QCOMPARE(scalar("select count(*) from accounts_dep.norm where o_id=42").toInt(), 2);
    QCOMPARE(scalar("select min(price)::float8 from accounts_dep.norm where o_id=42").toDouble(), 10.5);
}

QTEST_MAIN(TestNorms)
#include "test_norms.moc"
