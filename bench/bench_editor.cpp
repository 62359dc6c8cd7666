// Benchmark (not a test): a day change of the journal and a save of the work-record editor
// with its hours upkeep, through the real windows, on the large database.
// Usage: QT_QPA_PLATFORM=offscreen bench_editor DATABASE SERVER
#include "app/MainWindow.h"
#include "app/Program.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "journal/JournalView.h"
#include "journal/WorkRecordEditor.h"
#include "ui/Permissions.h"
#include "ui/Seams.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <cstdio>

static double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// In a list shown as a picker: the given row, and "Выбрать".
static void chooseRow(QDialog* list, int row) {
    auto* grid = list->findChild<QTableView*>();
    grid->setCurrentIndex(grid->model()->index(row, 0));
    for (QPushButton* b : list->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Выбрать"))
            b->click();
}

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    TabelApplication app(argc, argv);
    seams::setMessageHandler([](const seams::Message& m) {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return QMessageBox::Ok;
    });
    Database db;
    try {
        db.connection().setConnectionString(buildConnectionString(app.arguments().mid(1)));
        db.connection().open();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    MainWindow window(db, *permissionsForCode(QStringLiteral("73516280")));
    auto* addButton = window.findChild<QPushButton*>(QStringLiteral("addButton"));
    window.journal().showToday();
    const QDate last = db.readValue(QStringLiteral("select max(data) from accounts_dep.smena")).toDate();
    const qint64 before = db.readValue(QStringLiteral("select max(id) from accounts_dep.smena")).toLongLong();

    QList<double> dayChange, save;
    QList<int> dayRows;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        window.journal().showDay(last.addDays(-(i * 7 % 200)));
        dayChange << t.nsecsElapsed() / 1e6;
        int rows = 0;
        for (int s = 1; s <= 4; ++s)
            rows += window.journal().shiftJournal(s).recordCount();
        dayRows << rows;
    }
    window.journal().showDay(last);
    auto* editor = window.findChild<WorkRecordEditor*>();
    int i = 0;
    QElapsedTimer saveClock;
    seams::setModalHandler([&](QDialog* w) {
        // Each save another worker (the i-th of the list) with the first operation price: never
        // a duplicate of another save of this run.
        if (w->objectName() == QStringLiteral("WorkersDialog")) {
            chooseRow(w, i);
            return 0;
        }
        if (w->objectName() != QStringLiteral("WorkRecordEditor")) {
            chooseRow(w, 0);
            return 0;
        }
        editor->findChild<QPushButton*>(QStringLiteral("workerButton"))->click();
        editor->findChild<QPushButton*>(QStringLiteral("operationButton"))->click();
        editor->findChild<QLineEdit*>(QStringLiteral("quantityEdit"))->setText(QStringLiteral("1"));
        editor->findChild<QLineEdit*>(QStringLiteral("hoursEdit"))->setText(QStringLiteral("0"));
        // A colour of its own, should the operation be a painting one.
        editor->findChild<QLineEdit*>(QStringLiteral("colourEdit"))->setText(QString::number(900000 + i));
        saveClock.start();
        editor->findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        return 0;
    });
    // From "Запись" until the journal shows the day again.
    for (i = 0; i < 20; ++i) {
        addButton->click();
        save << saveClock.nsecsElapsed() / 1e6;
    }
    const qint64 saved = db.readValue(QStringLiteral("select count(*) from accounts_dep.smena where id>:id"),
                                      {{QStringLiteral("id"), before}})
                             .toLongLong();
    // Leave the database as it was.
    db.execute(QStringLiteral("delete from accounts_dep.smena where id>:id"),
               {{QStringLiteral("id"), before}});
    std::printf(
        "day change (four journal queries reopened): median %.2f ms, max %.2f ms (%d to %d rows a day)\n",
        median(dayChange), *std::max_element(dayChange.begin(), dayChange.end()),
        *std::min_element(dayRows.begin(), dayRows.end()), *std::max_element(dayRows.begin(), dayRows.end()));
    std::printf("work-record save with the hours upkeep and the journal read again: median %.2f ms, max %.2f "
                "ms (%lld of %lld saved)\n",
                median(save), *std::max_element(save.begin(), save.end()), saved, qint64(save.size()));
    return 0;
}
