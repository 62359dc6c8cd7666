// Benchmark (not a test): the journal's save (a work record added with its hours upkeep) with the
// change log's trigger on the work records and without it, in alternating rounds so that the
// machine's load falls on both alike. The trigger is switched by the tables' owner, through the
// superuser of the private cluster (PGC_SUPERUSER, PGC_SUPERPASSWORD in the environment).
// Usage: bench_history_save DATABASE SERVER
// Prints the median save with and without the log and their difference; exit 1 when the
// difference is 2 ms or more.
#include "data/Connection.h"
#include "data/Database.h"
#include "records/WorkRecordStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_history_save DATABASE SERVER\n");
        return 2;
    }
    Database db;
    QSqlDatabase owner = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("owner"));
    try {
        db.connection().setConnectionString(buildConnectionString(args));
        db.connection().open();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    owner.setDatabaseName(args[0]);
    owner.setHostName(args[1]);
    owner.setUserName(qEnvironmentVariable("PGC_SUPERUSER", QStringLiteral("postgres")));
    owner.setPassword(qEnvironmentVariable("PGC_SUPERPASSWORD"));
    if (!owner.open()) {
        std::fprintf(stderr, "owner: %s\n", qPrintable(owner.lastError().text()));
        return 1;
    }
    QSqlQuery ownerQuery(owner);
    auto setLog = [&](bool on) {
        if (!ownerQuery.exec(QStringLiteral("alter table accounts_dep.smena %1 trigger smena_change_log")
                                 .arg(on ? QStringLiteral("enable") : QStringLiteral("disable"))))
            throw DbError(ownerQuery.lastError().text());
    };

    // A worker, product and operation price the journal holds; each save gets a colour of its own,
    // so that no save is a duplicate of another.
    QSqlQuery sample =
        runStatement(db.connection().database(),
                     QStringLiteral("select w_id, i_id, o_id, max(data) from accounts_dep.smena "
                                    "group by w_id, i_id, o_id order by count(*) desc limit 1"));
    if (!sample.next()) {
        std::fprintf(stderr, "no work records to copy\n");
        return 1;
    }
    WorkRecord record;
    record.workerId = sample.value(0).toInt();
    record.productId = sample.value(1).toInt();
    record.operationPriceId = sample.value(2).toInt();
    record.date = sample.value(3).toDate();
    record.shift = 1;
    record.price = 1.5;
    record.quantity = QStringLiteral("10");
    record.rejects = QStringLiteral("0");
    record.hours = QStringLiteral("0");

    WorkRecordStore store(db);
    QList<double> withLog, withoutLog;
    int colour = 900000;
    try {
        for (int round = 0; round < 10; ++round) {
            for (bool logged : {true, false}) {
                setLog(logged);
                for (int i = 0; i < 20; ++i) {
                    record.colour = QString::number(++colour);
                    QElapsedTimer t;
                    t.start();
                    store.add(record, record.date);
                    (logged ? withLog : withoutLog) << t.nsecsElapsed() / 1e6;
                }
            }
        }
        setLog(true);
        // The saved records go again, by the owner, so that the database stays as it was.
        setLog(false);
        ownerQuery.exec(QStringLiteral("delete from accounts_dep.smena where color > 900000"));
        setLog(true);
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
        return 1;
    }
    const double on = median(withLog);
    const double off = median(withoutLog);
    std::printf("journal save with the change log: median %.2f ms, without: %.2f ms, difference %.2f ms "
                "(%lld saves each)\n",
                on, off, on - off, qint64(withLog.size()));
    return on - off < 2.0 ? 0 : 1;
}
