// Benchmark (not a test): times the journal and the price list on a large database, and checks that
// the journal shows the rows of its first statements.
// Usage: bench_journal DATABASE SERVER
#include "ReportSameness.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Sql.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

// The processor time this program has used, in milliseconds: the client's own share of a day
// change, apart from the wait for the server and from the other programs of a busy machine.
static double processMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static constexpr int kDayChanges = 101;

static double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    Database dm;
    // The four shifts' journals, as the journal reads them.
    std::array<Dataset, 4> journals;
    for (int s = 1; s <= 4; ++s)
        journals[s - 1].setSql(Database::journalSql(s));
    dm.connection().setConnectionString(buildConnectionString(args));
    try {
        dm.connection().open();
        const qint64 records = dm.readValue("select count(*) from accounts_dep.smena").toLongLong();
        const QDate last = dm.readValue("select max(data) from accounts_dep.smena").toDate();
        std::printf("work records: %lld, last day %s\n", (long long)records,
                    qPrintable(last.toString("dd.MM.yyyy")));

        // The operation-price list as its dialog reads it.
        Dataset operationPrices;
        operationPrices.setSql(Database::operationPricesSql());
        QList<double> dayTimes, operTimes, dayRows, clientTimes;
        // A hundred day changes: the shared machine has bursts of a second or so in which
        // everything takes half as long again, and a median of fewer moves with them.
        for (int i = 0; i < kDayChanges; ++i) {
            const QDate day = last.addDays(-(i * 13 % 300));
            QElapsedTimer t;
            t.start();
            const double client = processMs();
            for (int s = 1; s <= 4; ++s) {
                journals[s - 1].setParam("data", day);
                journals[s - 1].setParam("ok", QString("ta"));
            }
            dm.openJournals(journals);
            dayTimes << t.nsecsElapsed() / 1e6;
            clientTimes << processMs() - client;
            double records = 0;
            for (int s = 1; s <= 4; ++s)
                records += journals[s - 1].recordCount();
            dayRows << records;
        }
        // The day's statement alone, prepared and run as the journal runs it, its rows left as
        // the client library holds them: what the server and the transfer take, without turning
        // the rows into values.
        QList<double> statementTimes;
        QSqlQuery statement(dm.connection().database());
        for (int i = 0; i < kDayChanges; ++i) {
            const QDate day = last.addDays(-(i * 13 % 300));
            QElapsedTimer t;
            t.start();
            runStatement(statement, Database::journalDaySql(), {{"data", day}, {"ok", QString("ta")}}, i > 0);
            statementTimes << t.nsecsElapsed() / 1e6;
            statement.finish();
        }
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer t;
            t.start();
            operationPrices.close();
            operationPrices.open();
            operTimes << t.nsecsElapsed() / 1e6;
        }
        std::printf("journal day change, the four shifts on the program's one session: median %.2f ms, max "
                    "%.2f ms (%.0f records a day, median)\n",
                    median(dayTimes), *std::max_element(dayTimes.begin(), dayTimes.end()), median(dayRows));
        std::printf("  the client's processor time of it: median %.2f ms\n", median(clientTimes));
        std::printf("  the statement alone (server and transfer): median %.2f ms\n", median(statementTimes));

        // The same rows as the four statements first written, shift by shift, on days spread over
        // the database's three years.
        QString difference;
        int compared = 0, rowsCompared = 0;
        for (int i = 0; i < 12 && difference.isEmpty(); ++i) {
            const QDate day = last.addDays(-i * 97);
            for (Dataset& j : journals) {
                j.setParam("data", day);
                j.setParam("ok", QString("ta"));
            }
            dm.openJournals(journals);
            for (int s = 1; s <= 4 && difference.isEmpty(); ++s) {
                using namespace reportsameness;
                const Reference& how = journalReference(s);
                Dataset first;
                first.setSql(how.sql);
                first.setParam("data", day);
                first.setParam("ok", QString("ta"));
                first.open();
                difference = compareRows(datasetRows(first), datasetRows(journals[s - 1]), how);
                if (difference.isEmpty() && first.fieldTypes() != journals[s - 1].fieldTypes())
                    difference = QStringLiteral("column types differ");
                if (!difference.isEmpty())
                    difference = day.toString("dd.MM.yyyy") + QStringLiteral(", shift ") +
                                 QString::number(s) + QStringLiteral(": ") + difference;
                rowsCompared += first.recordCount();
            }
            ++compared;
        }
        std::printf("journal of %d days (%d rows) against the first statements: %s\n", compared, rowsCompared,
                    difference.isEmpty() ? "same rows" : qPrintable("first difference: " + difference));
        std::printf("open Oper: median %.2f ms (%d operation prices)\n", median(operTimes),
                    operationPrices.recordCount());
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
        return 1;
    }
    return 0;
}
