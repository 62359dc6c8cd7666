// The timesheet fixture's March 2024 with what the work-record editor picks: the product A-12 of
// the group "Корпуса", the operation price 42 ("Сборка") with its norm, the reserved types of the
// maintenance list (7777, 7778), and one April record of shift 1 (worker 2, 2 April).
#pragma once

#include "../timesheets/TimesheetFixture.h"
#include "JournalUnderTest.h"
#include "support/TestSupport.h"
#include "ui/Permissions.h"

#include <QObject>

inline void loadEditorFixture(TestDatabase& db) {
    loadTimesheetFixture(db);
    db.exec("insert into cmn_classifier.item (id, id_level, s_caption) values (2, 2, 'Корпуса')");
    db.exec(
        "insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values (5, 'A-12', "
        "1.5, 2)");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Сборка'), (7777, 'Хоз. работы'), "
            "(7778, 'Ср. сдельная')");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen, cena_new) values (42, 3, 5, 0, 0), "
            "(7777, 7777, 7777, 0, 0)");
    db.exec(
        "insert into accounts_dep.norm (o_id, norma, price, prize) values (42, 10, 10, 0), (7777, 1, 20, 0)");
    db.exec(
        "insert into accounts_dep.smena (data, smena, w_id, time, kol_vo, cena, brak, i_id, o_id, color, ok, "
        "vvod, prize) values ('2024-04-02', 1, 2, 4, 3, 10, 0, 5, 42, 0, 'no', '2024-04-02', 0)");
}

// A test of the journal's editor on that fixture: the database and the program's connection to
// it, the journal window once opened, the modal windows' script, the message boxes shown and the
// clock at 2 April 2024, 10:00. setUpEditorTest() and tearDownEditorTest() serve init() and
// cleanup().
class EditorTestCase : public QObject {
protected:
    void setUpEditorTest() {
        db = new TestDatabase;
        boxes = new MessageRecorder;
        clock = new FixedClock(QDateTime(QDate(2024, 4, 2), QTime(10, 0)));
        loadEditorFixture(*db);
        database = db->openDatabase();
        onModal.clear();
        onModal.install();
    }
    void tearDownEditorTest() {
        delete journal;
        journal = nullptr;
        seams::setModalHandler({});
        delete clock;
        delete boxes;
        delete db;
    }
    // The journal window on today, opened with an access code.
    void openJournal(const char* code = "73516280") {
        journal = new JournalUnderTest(*database, *permissionsForCode(QString::fromLatin1(code)));
        journal->journal().showToday();
    }

    TestDatabase* db = nullptr;
    Database* database = nullptr;
    JournalUnderTest* journal = nullptr;
    ModalScript onModal;
    MessageRecorder* boxes = nullptr;
    FixedClock* clock = nullptr;
};
