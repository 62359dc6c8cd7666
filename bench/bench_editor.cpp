// Benchmark (not a test): a day change of the journal and a save of the work-record editor
// with its hours upkeep, through the real windows, on the large database.
// Usage: QT_QPA_PLATFORM=offscreen bench_editor DATABASE SERVER
#include "app/MainWindow.h"
#include "app/Program.h"
#include "data/Database.h"
#include "journal/WorkRecordEditor.h"
#include "ui/Seams.h"

#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>

static double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    seams::setModalHandler([](QDialog*) { return 0; });
    seams::setMessageHandler([](const seams::Message& m) {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return QMessageBox::Ok;
    });
    if (!startProgram(app.arguments().mid(1), QStringLiteral(__DATE__), QStringLiteral(__TIME__)))
        return 1;
    g_mainWindow->loginCode = QStringLiteral("73516280");
    g_mainWindow->currentShift = 1;
    for (int s = 1; s <= 4; ++s)
        g_database->journal(s).setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    g_mainWindow->journal->FormActivate();
    g_database->Control.setSql(QStringLiteral("select max(data) as last, min(w_id) as w, min(o_id) as o from "
                                              "accounts_dep.smena"));
    g_database->Control.open();
    const QDate last = g_database->Control.fieldByName(QStringLiteral("last")).asDate();
    const int worker = g_database->Control.fieldByName(QStringLiteral("w")).asInteger();
    const int oper = g_database->Control.fieldByName(QStringLiteral("o")).asInteger();
    g_database->Control.close();
    g_database->Control.setSql(QStringLiteral("select i_id from accounts_dep.oper where id=%1").arg(oper));
    g_database->Control.open();
    const int product = g_database->Control.fieldByName(QStringLiteral("i_id")).asInteger();
    g_database->Control.close();

    QList<double> dayChange, save;
    for (int i = 0; i < 20; ++i) {
        g_mainWindow->DateT->setDate(last.addDays(-(i * 7 % 200)));
        QElapsedTimer t;
        t.start();
        g_mainWindow->journal->DateTChange();
        dayChange << t.nsecsElapsed() / 1e6;
    }
    g_mainWindow->DateT->setDate(last);
    g_mainWindow->journal->DateTChange();
    for (int i = 0; i < 20; ++i) {
        g_mainWindow->journal->Button1Click();
        g_workRecordEditor->workerId = worker;
        g_workRecordEditor->Edit1->setText(QStringLiteral("bench"));
        g_workRecordEditor->operId = oper;
        g_workRecordEditor->productId = product;
        g_workRecordEditor->price = 1.5;
        g_workRecordEditor->Edit2->setText(QStringLiteral("bench; КРАСКА; x"));
        g_workRecordEditor->setColourByOperation(g_workRecordEditor->Edit2->text());
        g_workRecordEditor->Edit5->setText(QString::number(900000 + i)); // a colour of its own: no duplicate
        g_workRecordEditor->Edit3->setText(QStringLiteral("1"));
        g_workRecordEditor->Edit6->setText(QStringLiteral("0"));
        QElapsedTimer t;
        t.start();
        g_workRecordEditor->Button1Click();
        save << t.nsecsElapsed() / 1e6;
    }
    // Leave the database as it was.
    g_database->SQL_exec.setSql(QStringLiteral("delete from accounts_dep.smena where color>=900000"));
    g_database->SQL_exec.execute();
    std::printf("day change (four journal queries reopened): median %.2f ms, max %.2f ms\n",
                median(dayChange), *std::max_element(dayChange.begin(), dayChange.end()));
    std::printf("work-record save with the hours upkeep: median %.2f ms, max %.2f ms\n", median(save),
                *std::max_element(save.begin(), save.end()));
    shutdownProgram();
    return 0;
}
