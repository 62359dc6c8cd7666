// Benchmark (not a test): the day list of the maintenance works window, a save of an entry
// with its hours upkeep through the real windows, and the average piece rate of a month, on the
// large database. The database is left as it was: the saved entries are deleted again through
// the window, and the calculation runs in a transaction that is rolled back.
// Usage: QT_QPA_PLATFORM=offscreen bench_maintenance DATABASE SERVER
#include "app/Program.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "maintenance/MaintenanceWorksWindow.h"
#include "records/AverageRate.h"
#include "refbooks/NomenclatureGroupsDialog.h"
#include "refbooks/WorkersDialog.h"
#include "ui/Seams.h"

#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <cstdio>

static double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

static double maximum(const QList<double>& v) {
    return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end());
}

// In a list shown as a picker: the given row, and "Выбрать".
static void chooseRow(QDialog* list, int row) {
    auto* grid = list->findChild<QTableView*>();
    grid->setCurrentIndex(grid->model()->index(row, 0));
    list->findChild<QPushButton*>(QStringLiteral("changeButton"))->click();
}

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    TabelApplication app(argc, argv);
    seams::setMessageHandler([](const seams::Message& m) {
        if (m.buttons & QMessageBox::Yes)
            return QMessageBox::Yes;
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
    // The month with the most average-rate entries, and its busiest day.
    const QDate busiest =
        db.readValue(
              QStringLiteral("with m as (select i_year, i_mnth from accounts_dep.fatigue where id_o=7778 "
                             "group by 1, 2 order by count(*) desc limit 1) select d_date from "
                             "accounts_dep.fatigue f join m using (i_year, i_mnth) group by d_date "
                             "order by count(*) desc, d_date desc limit 1"))
            .toDate();
    if (!busiest.isValid()) {
        std::fprintf(stderr, "no maintenance entries in the database\n");
        return 1;
    }
    WorkersDialog workers(db);
    NomenclatureGroupsDialog groups(db);
    MaintenanceWorksWindow window(db, workers, groups);
    auto* dateEdit = window.findChild<QDateEdit*>(QStringLiteral("dateEdit"));

    // The day list of 20 days before the busiest one.
    QList<double> listOpen;
    QList<int> listRows;
    for (int i = 0; i < 20; ++i) {
        dateEdit->setDate(busiest.addDays(-i));
        QElapsedTimer t;
        t.start();
        window.refreshList();
        listOpen << t.nsecsElapsed() / 1e6;
        listRows << window.dayList().recordCount();
    }

    // 20 saves on the busiest day, each by another worker, then each deleted again.
    dateEdit->setDate(busiest);
    const qint64 lastEntry =
        db.readValue(QStringLiteral("select max(id) from accounts_dep.fatigue")).toLongLong();
    const qint64 lastRow =
        db.readValue(QStringLiteral("select coalesce(max(id), 0) from accounts_dep.h_tabel")).toLongLong();
    int i = 0;
    QElapsedTimer clock;
    QList<double> save, remove;
    seams::setModalHandler([&](QDialog* w) {
        if (w->objectName() == QStringLiteral("WorkersDialog")) {
            chooseRow(w, i);
            return 0;
        }
        if (w->objectName() == QStringLiteral("NomenclatureGroupsDialog")) {
            chooseRow(w, 0);
            return 0;
        }
        w->findChild<QPushButton*>(QStringLiteral("workerButton"))->click();
        w->findChild<QPushButton*>(QStringLiteral("groupButton"))->click();
        w->findChild<QLineEdit*>(QStringLiteral("hoursEdit"))->setText(QStringLiteral("2"));
        clock.start();
        w->findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        return 0;
    });
    auto* addButton = window.findChild<QPushButton*>(QStringLiteral("addButton"));
    for (i = 0; i < 20; ++i) {
        addButton->click();
        save << clock.nsecsElapsed() / 1e6;
    }
    const qint64 saved =
        db.readValue(QStringLiteral("select count(*) from accounts_dep.fatigue where id>:id"),
                     {{QStringLiteral("id"), lastEntry}})
            .toLongLong();
    auto* deleteButton = window.findChild<QPushButton*>(QStringLiteral("deleteButton"));
    for (;;) {
        const QVariant id =
            db.readValue(QStringLiteral("select min(id) from accounts_dep.fatigue where id>:id"),
                         {{QStringLiteral("id"), lastEntry}});
        if (id.isNull() || !window.dayList().locate(QStringLiteral("id"), id))
            break;
        QElapsedTimer t;
        t.start();
        deleteButton->click();
        remove << t.nsecsElapsed() / 1e6;
    }
    // Rows the saves added to the timesheet (first entries of a worker's month) go too.
    db.execute(QStringLiteral("delete from accounts_dep.h_tabel where id>:id"),
               {{QStringLiteral("id"), lastRow}});

    // The average piece rate of the month, rolled back.
    QList<double> rate;
    int priced = 0;
    for (int k = 0; k < 5; ++k) {
        Transaction tx(db);
        QElapsedTimer t;
        t.start();
        priced = computeAverageRates(tx, db, busiest.year(), busiest.month());
        rate << t.nsecsElapsed() / 1e6;
    }

    std::printf("maintenance day list opened: median %.2f ms, max %.2f ms (%d to %d entries a day)\n",
                median(listOpen), maximum(listOpen), *std::min_element(listRows.begin(), listRows.end()),
                *std::max_element(listRows.begin(), listRows.end()));
    std::printf("maintenance entry save with the hours upkeep and the day list read again: median %.2f ms, "
                "max %.2f ms (%lld of %lld saved)\n",
                median(save), maximum(save), saved, qint64(save.size()));
    std::printf("maintenance entry delete with the hours upkeep and the day list read again: median %.2f ms, "
                "max %.2f ms (%lld deleted)\n",
                median(remove), maximum(remove), qint64(remove.size()));
    std::printf("average piece rate of %02d.%d: median %.1f ms, max %.1f ms (%d entries priced)\n",
                busiest.month(), busiest.year(), median(rate), maximum(rate), priced);
    return 0;
}
