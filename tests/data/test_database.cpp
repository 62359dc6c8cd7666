// The data module on a real database: the shared queries open on the schema and deliver
// their fields, the journal and hours-sheet queries select the right rows, the count check,
// quoting, datasets (filter, row numbers, grid model) and the editable table.
#include "data/Database.h"
#include "data/Format.h"
#include "support/TestSupport.h"
#include "ui/DatasetGrid.h"
#include "ui/ResultGridModel.h"
#include "ui/WindowParts.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <array>

class DatabaseTest : public QObject {
    Q_OBJECT
private slots:
    void clusterPasswordIsTheOwnersAlone();
    void init();
    void cleanup();
    void sharedQueryFields_data();
    void sharedQueryFields();
    void journalSelectsListedRecords();
    void journalOfEmptyDay();
    void journalsOnOneSession();
    void journalsAfterLostSession();
    void journalsWithNoSessionToSpare();
    void journalsAfterFailedStatement();
    void hoursSheetAverage();
    void countCheck_data();
    void countCheck();
    void apostropheSurvives();
    void datasetFilterRowsAndGrid();
    void gridModelFollowsEveryChange_data();
    void gridModelFollowsEveryChange();
    void editableTable();
    void tableWithoutKey();
    void errorsCarryDatabaseText();
    void datesAreDayFirst();
    void rowsAsTheServerSendsThem();
    void streamingFailureAndStop();

private:
    void openJournal(Dataset& q, const QDate& day);
    void openJournals(const QDate& day);
    QList<QVariantList> journalRows(int shift);
    QVariantList otherSessions();
    // The journal of each shift 1..4 and the hours sheet of each shift 1..3, by their statements.
    Dataset& journal(int shift) { return (*journals)[shift - 1]; }
    Dataset& hoursSheet(int shift) { return (*hoursSheets)[shift - 1]; }
    TestDatabase* db = nullptr;
    Database* dm = nullptr;
    std::array<Dataset, 4>* journals = nullptr;
    std::array<Dataset, 3>* hoursSheets = nullptr;
};

static const QDate kDay(2026, 12, 8);

void DatabaseTest::init() {
    db = new TestDatabase;
    dm = db->openDatabase();
    journals = new std::array<Dataset, 4>;
    for (int s = 1; s <= 4; ++s)
        journal(s).setSql(Database::journalSql(s));
    hoursSheets = new std::array<Dataset, 3>;
    for (int s = 1; s <= 3; ++s)
        hoursSheet(s).setSql(Database::hoursSheetSql(s));
    // A small workshop: three workers (30 has no enterprise person row), one product,
    // one operation price with two norms, and work records of 8 December 2026.
    db->exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
             "(17, 'Иванов Иван', 'Слесарь'), (18, 'Петров Пётр', 'Маляр'), (30, 'Сидоров', 'Токарь')");
    db->exec("delete from cmn_contractor.person where id = 30");
    db->exec("insert into cmn_classifier.item (id, id_level, s_caption) values (100, 2, 'Корпуса')");
    db->exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, "
             "id_class_item) values (5, 'A-12', '', 6, 1.5, 100)");
    db->exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Окраска')");
    db->exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0)");
    db->exec("insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 12.5, 0), (42, 20, "
             "11, 5)");
    const QString rec = "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, "
                        "color, time, ok, vvod, prize, id_doc, id_doc_item, id_gds_use, id_cons_use, "
                        "f_gds_qty_use) values ('08.12.2026', %1, %2, 5, 42, %3, %4, %5, 0, %6, %7, "
                        "'08.12.2026', 0, 0, 0, 0, 0, 0)";
    db->exec(rec.arg(1).arg(17).arg("12.3457").arg(10).arg(1).arg(8).arg("'no'"));
    db->exec(rec.arg(1).arg(18).arg("11").arg(5).arg(0).arg(4).arg("NULL"));
    db->exec(rec.arg(1).arg(30).arg("11").arg(5).arg(0).arg(4).arg("'ok'"));
    db->exec(rec.arg(2).arg(17).arg("11").arg(3).arg(0).arg(2).arg("'да'"));
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d8) values (17, 12, 2026, 1, 8)");
    db->exec("insert into accounts_dep.h_tabel (w_id, month, year, smena, d8) values (18, 12, 2026, 1, 0)");
}

void DatabaseTest::cleanup() {
    delete journals;
    journals = nullptr;
    delete hoursSheets;
    hoursSheets = nullptr;
    delete db;
    db = nullptr;
    dm = nullptr;
}

void DatabaseTest::openJournal(Dataset& q, const QDate& day) {
    q.setParam("data", day);
    q.setParam("ok", QString("ta"));
    q.open();
}

void DatabaseTest::sharedQueryFields_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("fields");
    const QStringList journal{
        "id",  "data", "smena",  "i_id",        "o_id",          "w_id",       "cena",       "fio",   "marka",
        "vid", "nmn",  "naimen", "brak",        "kol_vo",        "summa",      "prize",      "color", "time",
        "ok",  "vvod", "id_doc", "id_doc_item", "f_gds_qty_use", "id_gds_use", "id_cons_use"};
    QStringList hours{"fio",  "summ",  "average_price", "cena_all", "w_id", "month",
                      "year", "smena", "i_type",        "i_night",  "id"};
    for (int d = 1; d <= 31; ++d)
        hours << QString("d%1").arg(d);
    QTest::newRow("Workers") << "Workers" << QStringList{"id", "fio", "s_staffpos_hl"};
    QTest::newRow("Izdel") << "Izdel" << QStringList{"marka", "id", "nom", "massa", "id_class_item"};
    QTest::newRow("Oper") << "Oper" << QStringList{"id",       "MARKA", "VID",   "NAIMEN", "i_id",
                                                   "oper_vid", "nmn",   "norma", "cena"};
    QTest::newRow("Vid_oper") << "Vid_oper" << QStringList{"VID", "ID"};
    for (int s = 1; s <= 4; ++s)
        QTest::newRow(qPrintable(QString("Smena%1").arg(s))) << QString("Smena%1").arg(s) << journal;
    for (int s = 1; s <= 3; ++s)
        QTest::newRow(qPrintable(QString("H_Tabel_%1").arg(s))) << QString("H_Tabel_%1").arg(s) << hours;
}

void DatabaseTest::sharedQueryFields() {
    QFETCH(QString, query);
    QFETCH(QStringList, fields);
    Dataset workers, products, operationPrices, operationTypes;
    workers.setSql(Database::workersSql());
    products.setSql(Database::productsSql());
    operationPrices.setSql(Database::operationPricesSql());
    operationTypes.setSql(Database::operationTypesSql());
    QHash<QString, Dataset*> byName{
        {"Workers", &workers},         {"Izdel", &products},         {"Oper", &operationPrices},
        {"Vid_oper", &operationTypes}, {"Smena1", &journal(1)},      {"Smena2", &journal(2)},
        {"Smena3", &journal(3)},       {"Smena4", &journal(4)},      {"H_Tabel_1", &hoursSheet(1)},
        {"H_Tabel_2", &hoursSheet(2)}, {"H_Tabel_3", &hoursSheet(3)}};
    Dataset* q = byName.value(query);
    q->setParam("data", kDay);
    q->setParam("ok", QString("ta"));
    q->setParam("mnth", 12);
    q->setParam("yea", 2026);
    q->setParam("date1", QDate(2026, 12, 1));
    q->setParam("date2", QDate(2027, 1, 1));
    q->open();
    QVERIFY(q->isOpen());
    for (const QString& f : fields)
        QVERIFY2(q->hasField(f), qPrintable(query + ": no field " + f));
    q->close();
}

void DatabaseTest::journalSelectsListedRecords() {
    // Shift 1 has three records: one listed, one with no mark (NULL), one whose worker has
    // no enterprise person row. Only the first is listed.
    openJournal(journal(1), kDay);
    QCOMPARE(journal(1).recordCount(), 1);
    QCOMPARE(journal(1).fieldByName("fio").asString(), QString("Иванов Иван"));
    QCOMPARE(journal(1).fieldByName("marka").asString(), QString("A-12"));
    QCOMPARE(journal(1).fieldByName("vid").asString(), QString("Окраска"));
    QCOMPARE(journal(1).fieldByName("nmn").asString(), QString("Готовая продукция"));
    QCOMPARE(journal(1).fieldByName("summa").asFloat(), 111.11); // (10-1) × 12.3457 = 111.1113
    QCOMPARE(journal(1).fieldByName("ok").asString().trimmed(), QString("no"));
    // The entry day is the day the database holds, whatever the workstation's time zone.
    QCOMPARE(journal(1).fieldByName("vvod").asDateTime(), QDateTime(kDay, QTime(0, 0)));
    QCOMPARE(journal(1).fieldByName("data").asDate(), kDay);
    // The "да" record of shift 2 is listed there.
    openJournal(journal(2), kDay);
    QCOMPARE(journal(2).recordCount(), 1);
    QCOMPARE(journal(2).fieldByName("ok").asString().trimmed(), QString("да"));
    openJournal(journal(3), kDay);
    QCOMPARE(journal(3).recordCount(), 0);
}

void DatabaseTest::journalOfEmptyDay() {
    for (int s = 1; s <= 4; ++s) {
        Dataset* q = &journal(s);
        openJournal(*q, kDay.addDays(1));
        QCOMPARE(q->recordCount(), 0);
        QCOMPARE(q->recNo(), 0);
        QCOMPARE(q->fieldByName("kol_vo").asInteger(), 0);
    }
}

void DatabaseTest::openJournals(const QDate& day) {
    for (int s = 1; s <= 4; ++s) {
        journal(s).setParam("data", day);
        journal(s).setParam("ok", QString("ta"));
    }
    dm->openJournals(*journals);
}

QList<QVariantList> DatabaseTest::journalRows(int shift) {
    Dataset& q = journal(shift);
    QList<QVariantList> rows;
    for (int r = 0; r < q.recordCount(); ++r) {
        QVariantList row;
        for (const QString& f : q.fieldNames())
            row << q.valueAt(r, f);
        rows << row;
    }
    return rows;
}

// The server processes of the test database's sessions other than the fixture's own: the
// program's.
QVariantList DatabaseTest::otherSessions() {
    const QString list = db->scalar("select string_agg(pid::text, ',' order by pid) from pg_stat_activity "
                                    "where datname = current_database() and pid <> pg_backend_pid()")
                             .toString();
    QVariantList pids;
    for (const QString& pid : list.split(',', Qt::SkipEmptyParts))
        pids << pid.toInt();
    return pids;
}

// The day's four journals read at once hold what each reads alone, in its order, and they are read
// on the program's one session: a workstation needs no second one.
void DatabaseTest::journalsOnOneSession() {
    // More records, so that every shift has some and the rows come in the journal's order.
    db->exec(
        "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, "
        "ok, vvod) select '08.12.2026', 1 + x % 4, 17 + x % 2, 5, 42, x * 0.25, x, x % 3, x % 5, 8, 'no', "
        "'08.12.2026 10:15' from generate_series(1, 40) x");
    QList<QList<QVariantList>> alone;
    for (int s = 1; s <= 4; ++s) {
        openJournal(journal(s), kDay);
        alone << journalRows(s);
    }
    for (int s = 1; s <= 4; ++s)
        journal(s).close();
    openJournals(kDay);
    for (int s = 1; s <= 4; ++s) {
        QVERIFY(journal(s).isOpen());
        QCOMPARE(journal(s).recNo(), 1);
        QCOMPARE(journal(s).fieldNames(), Database::journalColumnNames(s));
        const QList<QVariantList> rows = journalRows(s);
        QCOMPARE(rows.size(), alone[s - 1].size());
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c) {
                QCOMPARE(rows[r][c], alone[s - 1][r][c]);
                QCOMPARE(rows[r][c].metaType(), alone[s - 1][r][c].metaType());
            }
    }
    QCOMPARE(journal(1).recordCount(), 11);
    // Large statements are not compiled to machine code: that costs more than it saves.
    QCOMPARE(dm->readValue("show jit").toString(), QString("off"));
    const QVariant own = dm->readValue("select pg_backend_pid()");
    QCOMPARE(otherSessions(), QVariantList{own});
    // A day without records, then the day again: still the one session.
    openJournals(kDay.addDays(1));
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(journal(s).recordCount(), 0);
    openJournals(kDay);
    QCOMPARE(journal(1).recordCount(), 11);
    QCOMPARE(journal(2).recordCount(), 11);
    QCOMPARE(otherSessions(), QVariantList{own});
}

// The server ends the program's session (a restart, an administrator): the next day change opens a
// new one and shows the day.
void DatabaseTest::journalsAfterLostSession() {
    openJournals(kDay);
    const QVariant first = dm->readValue("select pg_backend_pid()");
    QVERIFY(db->scalar(QString("select pg_terminate_backend(%1, 5000)").arg(first.toInt())).toBool());
    openJournals(kDay);
    QCOMPARE(journal(1).recordCount(), 1);
    QCOMPARE(journal(1).fieldByName("fio").asString(), QString("Иванов Иван"));
    QCOMPARE(journal(2).recordCount(), 1);
    const QVariant next = dm->readValue("select pg_backend_pid()");
    QVERIFY(next != first);
    QCOMPARE(otherSessions(), QVariantList{next});
}

// A server that allows the program no connection beyond its one session: the journals are read,
// day after day.
void DatabaseTest::journalsWithNoSessionToSpare() {
    // The program's one session and the fixtures' (a superuser's, which the limit does not bind).
    db->exec(QString("alter database %1 connection limit 2").arg(db->name()));
    openJournals(kDay);
    QCOMPARE(journal(1).recordCount(), 1);
    QCOMPARE(journal(1).fieldByName("fio").asString(), QString("Иванов Иван"));
    QCOMPARE(journal(2).recordCount(), 1);
    openJournals(kDay.addDays(1));
    QCOMPARE(journal(1).recordCount(), 0);
    openJournals(kDay);
    QCOMPARE(journal(2).recordCount(), 1);
    QCOMPARE(otherSessions().size(), 1);
    db->exec(QString("alter database %1 connection limit -1").arg(db->name()));
}

// The day's statement fails (a person's code that is no number, which the journal reads as one):
// the server's text is shown, no journal keeps the rows of the day before, and the session is left
// free: once the code is put right the next reading of the day works.
void DatabaseTest::journalsAfterFailedStatement() {
    openJournals(kDay);
    QCOMPARE(journal(1).recordCount(), 1);
    // Without the index of the codes read as numbers, such a code can be stored.
    db->exec("drop index cmn_contractor.person_s_code_id");
    db->exec("insert into cmn_contractor.person (id, s_code, s_caption) values (77, 'Ц-7', 'Цветков')");
    try {
        openJournals(kDay);
        QFAIL("no error");
    } catch (const DbError& e) {
        QVERIFY2(e.message.contains("Ц-7"), qPrintable(e.message));
    }
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(journal(s).recordCount(), 0);
    db->exec("update cmn_contractor.person set s_code = '77' where id = 77");
    openJournals(kDay);
    QCOMPARE(journal(1).recordCount(), 1);
    QCOMPARE(journal(2).recordCount(), 1);
    QCOMPARE(dm->readValue("select 7").toInt(), 7);
}

void DatabaseTest::hoursSheetAverage() {
    hoursSheet(1).setParam("mnth", 12);
    hoursSheet(1).setParam("yea", 2026);
    hoursSheet(1).setParam("date1", QDate(2026, 12, 1));
    hoursSheet(1).setParam("date2", QDate(2027, 1, 1));
    hoursSheet(1).open();
    QCOMPARE(hoursSheet(1).recordCount(), 2);
    QVERIFY(hoursSheet(1).locate("w_id", 18));
    QCOMPARE(hoursSheet(1).fieldByName("summ").asInteger(), 0);
    QCOMPARE(hoursSheet(1).fieldByName("average_price").asFloat(), 0.0);
    QCOMPARE(hoursSheet(1).fieldByName("cena_all").asFloat(), 55.0);
    QVERIFY(hoursSheet(1).locate("w_id", 17));
    // All of worker 17's records of the month (both shifts): 111.1113 + 33 over 8 hours.
    QCOMPARE(hoursSheet(1).fieldByName("cena_all").asFloat(), 144.11);
    QCOMPARE(hoursSheet(1).fieldByName("average_price").asFloat(), 18.01);
}

void DatabaseTest::countCheck_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("found");
    QTest::newRow("no row") << "select 1 as cnt from accounts_dep.vid_oper where id < 0" << false;
    QTest::newRow("zero") << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='НЕТ ТАКОЙ'"
                          << false;
    QTest::newRow("a duplicate")
        << "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='ОКРАСКА'" << true;
}

void DatabaseTest::countCheck() {
    QFETCH(QString, sql);
    QFETCH(bool, found);
    MessageRecorder boxes;
    QCOMPARE(refuseIfFound(*dm, sql, "Такая операция уже заведена!"), found);
    QCOMPARE(boxes.shown.size(), found ? 1 : 0);
    if (found) {
        QCOMPARE(boxes.shown[0].caption, QString("Ошибка"));
        QCOMPARE(boxes.shown[0].text, QString("Такая операция уже заведена!"));
        QCOMPARE(boxes.shown[0].icon, QMessageBox::Critical);
    }
}

void DatabaseTest::apostropheSurvives() {
    Dataset control;
    const QString name = "Д'Артаньян; drop table accounts_dep.smena; --";
    dm->execute("insert into accounts_dep.vid_oper (vid) values (" + sqlQuote(name) + ")");
    control.setSql("select vid from accounts_dep.vid_oper where vid like 'Д%'");
    control.open();
    QCOMPARE(control.fieldByName("vid").asString(), name);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.smena").toInt(), 4);
    // A text parameter is passed as a value, never as statement text.
    control.close();
    control.setSql("select count(*) as cnt from accounts_dep.vid_oper where vid=:v");
    control.setParam("v", name);
    control.open();
    QCOMPARE(control.fieldByName("cnt").asInteger(), 1);
}

void DatabaseTest::datasetFilterRowsAndGrid() {
    db->exec("insert into accounts_dep.person (fio) values ('Петрова Анна'), ('Павлов Олег'), ('петухов')");
    Dataset workers;
    workers.setSql(Database::workersSql());
    ResultGridModel model(workers);
    model.setColumns({{"fio", "ФИО", 200}, {"s_staffpos_hl", "Должность", 120}});
    QTableView view;
    showInGrid(model, &view);
    workers.open();
    QCOMPARE(workers.recordCount(), 6);
    QCOMPARE(view.model()->rowCount(), 6);
    QCOMPARE(view.model()->headerData(0, Qt::Horizontal).toString(), QString("ФИО"));
    QCOMPARE(view.columnWidth(0), 200);

    workers.setFilter("fio like 'Пет%'");
    workers.setFiltered(true);
    // Prefix search without regard to case: Петров Пётр, Петрова Анна, петухов.
    QCOMPARE(workers.recordCount(), 3);
    QCOMPARE(view.model()->rowCount(), 3);
    QCOMPARE(workers.recNo(), 1);
    workers.setRecNo(3);
    QCOMPARE(view.currentIndex().row(), 2);
    QCOMPARE(view.model()->index(2, 0).data().toString(), workers.fieldByName("fio").asString());
    view.setCurrentIndex(view.model()->index(1, 1));
    QCOMPARE(workers.recNo(), 2);
    QCOMPARE(workers.fieldByName("fio").asString(), QString("Петрова Анна"));

    workers.setFilter("fio like '%ров%'");
    QCOMPARE(workers.recordCount(), 3);
    workers.setFilter("id=17");
    QCOMPARE(workers.recordCount(), 1);
    workers.setFiltered(false);
    QCOMPARE(workers.recordCount(), 6);
    QVERIFY(workers.locate("fio", "Павлов Олег"));
    QCOMPARE(view.model()->index(workers.recNo() - 1, 0).data().toString(), QString("Павлов Олег"));
    workers.last();
    workers.next();
    QVERIFY(workers.eof());
    workers.close();
    QCOMPARE(view.model()->rowCount(), 0);
    QCOMPARE(workers.fieldByName("id").asInteger(), 0);
}

// Each change of a dataset's rows reaches the grid's model in the form a view can follow (checked
// by Qt's model tester), and the grid then shows exactly the dataset's rows.
void DatabaseTest::gridModelFollowsEveryChange_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("read") << "read" << QStringList{"Гибка", "Зачистка", "Окраска", "Резка", "Сварка"};
    QTest::newRow("filtered") << "filter" << QStringList{"Гибка"};
    QTest::newRow("rows streamed in")
        << "stream" << QStringList{"Гибка", "Зачистка", "Окраска", "Резка", "Сварка"};
    QTest::newRow("row appended") << "append" << QStringList{"Гибка", "Зачистка", "Окраска",
                                                             "Резка", "Сварка",   "Шлифовка"};
    QTest::newRow("row changed") << "edit" << QStringList{"Гибка", "Зачистка", "Окраска", "Резка", "Пайка"};
    QTest::newRow("row removed") << "remove" << QStringList{"Гибка", "Зачистка", "Окраска", "Резка"};
    QTest::newRow("closed") << "close" << QStringList{};
    QTest::newRow("read refused by its filter") << "bad filter" << QStringList{};
}

void DatabaseTest::gridModelFollowsEveryChange() {
    QFETCH(QString, change);
    QFETCH(QStringList, shown);
    db->exec(
        "insert into accounts_dep.vid_oper (id, vid) values (10, 'Резка'), (11, 'Гибка'), (12, 'Сварка'), "
        "(13, 'Зачистка')"); // and 3, Окраска
    EditTable table;
    table.setTableName("accounts_dep.vid_oper");
    table.setSql("select * from accounts_dep.vid_oper order by vid");
    ResultGridModel model(table);
    model.setColumns({{"vid", "Операции", 200}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTableView view;
    showInGrid(model, &view);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    if (change == "stream") {
        table.openStreaming();
        while (table.fetchMore(1)) {
        }
    } else if (change == "bad filter") {
        table.setFilter("no_such_field like 'Г%'");
        table.setFiltered(true);
        QVERIFY_THROWS_EXCEPTION(DbError, table.open());
    } else {
        table.open();
    }
    if (change == "filter") {
        table.setFilter("vid like 'Г%'");
        table.setFiltered(true);
    } else if (change == "append") {
        table.append();
        table.setValue("vid", "Шлифовка");
        table.post();
    } else if (change == "edit") {
        QVERIFY(table.locate("vid", "Сварка"));
        table.edit();
        table.setValue("vid", "Пайка");
        table.post();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), table.recNo() - 1);
    } else if (change == "remove") {
        QVERIFY(table.locate("vid", "Сварка"));
        table.remove();
    } else if (change == "close") {
        table.close();
    }
    QCOMPARE(model.rowCount(), table.recordCount());
    QCOMPARE(view.model()->rowCount(), shown.size());
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.index(r, 0).data().toString();
    QCOMPARE(texts, shown);
    QCOMPARE(view.columnWidth(0), 200);
    // The grid's current row is the dataset's.
    QCOMPARE(view.currentIndex().isValid() ? view.currentIndex().row() + 1 : 0, table.recNo());
}

void DatabaseTest::editableTable() {
    EditTable t;
    t.setTableName("accounts_dep.vid_oper");
    t.setSql("select * from accounts_dep.vid_oper order by vid");
    t.open();
    QCOMPARE(t.recordCount(), 1);
    t.append();
    t.setValue("vid", "Сварка 'шов'");
    t.post();
    const int id = t.fieldByName("id").asInteger();
    QVERIFY(id > 0);
    QCOMPARE(db->scalar(QString("select vid from accounts_dep.vid_oper where id=%1").arg(id)).toString(),
             QString("Сварка 'шов'"));
    t.edit();
    t.setValue("vid", "Сварка");
    t.post();
    QCOMPARE(db->scalar(QString("select vid from accounts_dep.vid_oper where id=%1").arg(id)).toString(),
             QString("Сварка"));
    t.remove();
    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(db->scalar(QString("select count(*) from accounts_dep.vid_oper where id=%1").arg(id)).toInt(),
             0);
}

void DatabaseTest::tableWithoutKey() {
    EditTable ver;
    ver.setTableName("accounts_dep.ver");
    ver.setKeyField(QString());
    ver.open();
    QCOMPARE(ver.recordCount(), 1);
    ver.edit();
    ver.setValue("d", 20240227);
    ver.setValue("t", 54663);
    ver.post();
    QCOMPARE(db->scalar("select d from accounts_dep.ver").toInt(), 20240227);
    QCOMPARE(db->scalar("select count(*) from accounts_dep.ver").toInt(), 1);
}

void DatabaseTest::errorsCarryDatabaseText() {
    Dataset control;
    control.setSql("select * from accounts_dep.no_such_table");
    try {
        control.open();
        QFAIL("no error");
    } catch (const DbError& e) {
        QVERIFY2(e.message.contains("no_such_table"), qPrintable(e.message));
    }
    QVERIFY(!control.isOpen());
    // The connection goes on after the error.
    control.setSql("select count(*) as cnt from accounts_dep.vid_oper");
    control.open();
    QCOMPARE(control.fieldByName("cnt").asInteger(), 1);
}

void DatabaseTest::datesAreDayFirst() {
    Dataset control;
    control.setSql("select '08.12.2026'::date as d, to_date('08.12.2026', 'DD.MM.YYYY') as d2");
    control.open();
    QCOMPARE(control.fieldByName("d").asDate(), kDay);
    QCOMPARE(control.fieldByName("d2").asDate(), kDay);
}

// Rows read as the server sends them hold the same values as a whole read; the filter applies as
// they come; parameters go as values, so a quote in a text changes nothing.
void DatabaseTest::rowsAsTheServerSendsThem() {
    const QString sql = "select x as n, (x * 1.5)::numeric(10,2) as half, 'k' || (x % 10) as tail, "
                        "date '2026-12-01' + x as day, x % 2 = 0 as even, :t as t "
                        "from generate_series(1, :top) x order by x";
    Dataset whole, streamed, filtered;
    for (Dataset* d : {&whole, &streamed, &filtered}) {
        d->setSql(sql);
        d->setParam("top", 2000);
        d->setParam("t", "д'Артаньян");
    }
    whole.open();
    streamed.openStreaming();
    QVERIFY(streamed.isFetching());
    QCOMPARE(streamed.recNo(), 1); // the first row is there at once
    int batches = 0;
    while (streamed.fetchMore(300))
        ++batches;
    QVERIFY(batches >= 6);
    QVERIFY(!streamed.isFetching());
    QCOMPARE(streamed.recordCount(), 2000);
    QCOMPARE(streamed.fieldNames(), whole.fieldNames());
    for (int r : {0, 1, 999, 1999})
        for (const QString& f : whole.fieldNames())
            QCOMPARE(streamed.valueAt(r, f), whole.valueAt(r, f));
    QCOMPARE(streamed.valueAt(0, "t").toString(), QString("д'Артаньян"));

    filtered.setFilter("tail like 'k3%'");
    filtered.setFiltered(true);
    filtered.openStreaming();
    while (filtered.fetchMore(100)) {
    }
    QCOMPARE(filtered.recordCount(), 200);
    QCOMPARE(filtered.valueAt(0, "n").toInt(), 3);
    QCOMPARE(filtered.valueAt(199, "n").toInt(), 1993);
}

// A statement that fails on the way reports the server's text; one left unfinished is stopped on
// the server, and either way the connection serves the next statement at once.
void DatabaseTest::streamingFailureAndStop() {
    Dataset control;
    Dataset failing;
    failing.setSql("select 10 / (500 - x) as q from generate_series(1, 1000) x");
    failing.openStreaming();
    try {
        while (failing.fetchMore(50)) {
        }
        QFAIL("no error");
    } catch (const DbError& e) {
        QVERIFY2(e.message.contains("division by zero"), qPrintable(e.message));
    }
    QVERIFY(!failing.isFetching());
    QCOMPARE(failing.recordCount(), 499);

    QElapsedTimer clock;
    clock.start();
    {
        Dataset endless;
        endless.setSql("with recursive s(x) as (select 1 union all select x + 1 from s) select x from s");
        endless.openStreaming();
        QVERIFY(endless.fetchMore(10));
        QCOMPARE(endless.recordCount(), 11);
    } // dropped while the server still sends rows
    Dataset stopped;
    stopped.setSql("with recursive s(x) as (select 1 union all select x + 1 from s) select x from s");
    stopped.openStreaming();
    stopped.close();
    QVERIFY(!stopped.isFetching());
    control.setSql("select count(*) as cnt from accounts_dep.vid_oper");
    control.open();
    QCOMPARE(control.fieldByName("cnt").asInteger(), 1);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
}

// The private cluster keeps its superuser's password from the machine's other users: the state
// folder and the file that holds it, and the cluster's own folder, are the owner's alone, and no
// password file is left behind.
void DatabaseTest::clusterPasswordIsTheOwnersAlone() {
    const QFileInfo info(qEnvironmentVariable("TABEL_PG_INFO"));
    QVERIFY(info.isFile());
    const auto othersMay = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                           QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(info.permissions() & othersMay, QFileDevice::Permissions());
    QCOMPARE(QFileInfo(info.absolutePath()).permissions() & othersMay, QFileDevice::Permissions());
    QFile file(info.absoluteFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString root;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("PGC_ROOT="))
            root = QString::fromUtf8(line.mid(9)).remove(u'\'');
    QVERIFY(QFileInfo(root).isDir());
    QCOMPARE(QFileInfo(root).permissions() & othersMay, QFileDevice::Permissions());
    QVERIFY(!QFileInfo::exists(root + "/pwfile"));
}

QTEST_MAIN(DatabaseTest)
#include "test_database.moc"
