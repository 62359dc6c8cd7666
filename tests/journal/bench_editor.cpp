// Benchmark (not a test): a day change of the journal and a save of the work-record editor
// with its hours upkeep, through the real windows, on the large database.
// Usage: QT_QPA_PLATFORM=offscreen bench_editor DATABASE SERVER
#include "Program.h"
#include "Seams.h"
#include "Unit1.h"
#include "Unit11.h"
#include "Unit6.h"

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
    Form1->loginCode = QStringLiteral("73516280");
    Form1->currentShift = 1;
    for (int s = 1; s <= 4; ++s)
        DataModule6->smenaQuery(s)->setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    Form1->journal->FormActivate();
    DataModule6->Control.setSql(
        QStringLiteral("select max(data) as last, min(w_id) as w, min(o_id) as o from "
                       "accounts_dep.smena"));
    DataModule6->Control.open();
    const QDate last = DataModule6->Control.fieldByName(QStringLiteral("last")).asDate();
    const int worker = DataModule6->Control.fieldByName(QStringLiteral("w")).asInteger();
    const int oper = DataModule6->Control.fieldByName(QStringLiteral("o")).asInteger();
    DataModule6->Control.close();
    DataModule6->Control.setSql(QStringLiteral("select i_id from accounts_dep.oper where id=%1").arg(oper));
    DataModule6->Control.open();
    const int product = DataModule6->Control.fieldByName(QStringLiteral("i_id")).asInteger();
    DataModule6->Control.close();

    QList<double> dayChange, save;
    QList<int> dayRows;
    for (int i = 0; i < 20; ++i) {
        Form1->DateT->setDate(last.addDays(-(i * 7 % 200)));
        QElapsedTimer t;
        t.start();
        Form1->journal->DateTChange();
        dayChange << t.nsecsElapsed() / 1e6;
        int rows = 0;
        for (int s = 1; s <= 4; ++s)
            rows += DataModule6->smenaQuery(s)->recordCount();
        dayRows << rows;
    }
    Form1->DateT->setDate(last);
    Form1->journal->DateTChange();
    for (int i = 0; i < 20; ++i) {
        Form1->journal->Button1Click();
        Form11->workerId = worker;
        Form11->Edit1->setText(QStringLiteral("bench"));
        Form11->operId = oper;
        Form11->productId = product;
        Form11->price = 1.5;
        Form11->Edit2->setText(QStringLiteral("bench; КРАСКА; x"));
        Form11->setColourByOperation(Form11->Edit2->text());
        Form11->Edit5->setText(QString::number(900000 + i)); // a colour of its own: no duplicate
        Form11->Edit3->setText(QStringLiteral("1"));
        Form11->Edit6->setText(QStringLiteral("0"));
        QElapsedTimer t;
        t.start();
        Form11->Button1Click();
        save << t.nsecsElapsed() / 1e6;
    }
    // Leave the database as it was.
    DataModule6->SQL_exec.setSql(QStringLiteral("delete from accounts_dep.smena where color>=900000"));
    DataModule6->SQL_exec.execute();
    std::printf(
        "day change (four journal queries reopened): median %.2f ms, max %.2f ms (%d to %d rows a day)\n",
        median(dayChange), *std::max_element(dayChange.begin(), dayChange.end()),
        *std::min_element(dayRows.begin(), dayRows.end()), *std::max_element(dayRows.begin(), dayRows.end()));
    std::printf("work-record save with the hours upkeep: median %.2f ms, max %.2f ms\n", median(save),
                *std::max_element(save.begin(), save.end()));
    shutdownProgram();
    return 0;
}
