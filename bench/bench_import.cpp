// Benchmark (not a test): the import from the earlier database with a large history, over the
// real ODBC drivers: 100,000 hours-sheet rows in the SQLite source and 300,000 work records in
// the journal source of the PostgreSQL database.
// Usage: bench_import DATABASE SERVER (a database made from db/schema.sql only; it is overwritten)
#include "LegacySource.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "import/ImportConnections.h"
#include "import/LegacyImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

constexpr int kHoursRows = 100000;
constexpr int kJournalRows = 300000;

// The SQLite source: the hours sheet of 300 workers over many months, products, operation
// prices and types, workers.
void fillLegacySource(LegacySource& legacy) {
    QStringList days;
    QStringList dayValues;
    for (int d = 1; d <= 31; ++d) {
        days << QStringLiteral("d%1").arg(d);
        dayValues << QStringLiteral("(i + %1) % 12").arg(d);
    }
    const QString numbers =
        QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) ");
    legacy.exec(numbers.arg(kHoursRows) +
                QStringLiteral("insert into H_TABEL (id, w_id, month, smena, year, %1) "
                               "select i, i % 300 + 1, i % 12 + 1, i % 3 + 1, 2000 + i / 3600, %2 from n")
                    .arg(days.join(u','), dayValues.join(u',')));
    legacy.exec(numbers.arg(2000) +
                QStringLiteral("insert into IZDEL select i, 'КР-' || i, 'Группа ' || (i % 40), "
                               "i * 0.125 from n"));
    legacy.exec(numbers.arg(40) +
                QStringLiteral("insert into NOMENKL select 'Группа ' || i, 'Г' || i from n"));
    legacy.exec(numbers.arg(6000) + QStringLiteral("insert into OPER select i, i % 100 + 1, i % 2, i * 0.01, "
                                                   "i % 2000 + 1 from n"));
    legacy.exec(numbers.arg(100) + QStringLiteral("insert into VID_OPER select 'Операция ' || i, i from n"));
    legacy.exec(numbers.arg(300) +
                QStringLiteral("insert into WORKERS select 'Работник ' || i, i, 'ул. Заводская, ' "
                               "|| i from n"));
}

} // namespace

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_import DATABASE SERVER\n");
        return 2;
    }
    Database db;
    try {
        db.connection().setConnectionString(buildConnectionString(args));
        db.connection().open();
        LegacySource legacy(args[0], args[1]);
        QElapsedTimer t;
        t.start();
        fillLegacySource(legacy);
        db.execute(QStringLiteral("drop table if exists public.smena"));
        db.execute(LegacySource::journalTableSql());
        db.execute(
            QStringLiteral("insert into public.smena select i, i % 300 + 1, i % 2000 + 1, i % 6000 + 1, "
                           "i % 50, i % 3, i % 4 + 1, date '2020-01-01' + i / 300, (i % 1000) * 0.0625, "
                           "i % 5, i % 12, case when i % 2 = 0 then 'ok' else 'no' end, "
                           "timestamp '2020-01-01 08:00' + i * interval '7 minutes' "
                           "from generate_series(1, %1) i")
                .arg(kJournalRows));
        db.execute(QStringLiteral("analyze public.smena"));
        std::printf("sources: %d hours-sheet rows, %d work records and the smaller tables, made in %.1f s\n",
                    kHoursRows, kJournalRows, t.elapsed() / 1000.0);

        ImportConnections connections;
        LegacyImport import(connections.source(), connections.target(), db.connection().database());
        QElapsedTimer step;
        import.setProgress([&](const QString& text, bool milestone) {
            if (!milestone)
                return;
        if (text.contains(QStringLiteral(": 0 из")))
            step.start();
        else
            std::printf("  %s in %.2f s\n", qPrintable(text), step.elapsed() / 1000.0);
    });
    t.start();
    const ImportOutcome outcome = import.run();
    const double seconds = t.elapsed() / 1000.0;
    if (!outcome.succeeded()) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.error));
        return 3;
    }
    qint64 rows = 0;
    for (const ImportStepResult& s : outcome.steps)
        rows += s.rowsCopied;
    std::printf("import: %lld rows in %.2f s, %.0f rows/s (goal 20000 rows/s)\n", rows, seconds,
                rows / seconds);
    return rows / seconds >= 20000 ? 0 : 1;
}
catch (const DbError& e) {
    std::fprintf(stderr, "%s\n", qPrintable(e.message));
    return 3;
}
}
