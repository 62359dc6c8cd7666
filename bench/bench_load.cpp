// Benchmark (not a test): many workstations at once on the large database, each doing what a
// foreman does all day: it changes the journal's day (the four shifts' journals read again) and
// saves, changes and deletes work records with the worker's hours of the day. At the end it checks
// that no row was lost or doubled, that no timesheet row is doubled, and that every timesheet day
// of the workers it wrote equals the sum of that day's records, and prints the 95th percentiles.
// Usage: bench_load DATABASE SERVER [WORKSTATIONS [SECONDS]] (defaults 50 and 600). It stops by
// itself after SECONDS; run it on a copy of the large database, as it adds records.
#include "data/Connection.h"
#include "data/Database.h"
#include "records/Refusal.h"
#include "records/WorkRecordStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <latch>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

// A worker, product and operation price that stand together in the journal already.
struct Pattern {
    int workerId = 0;
    int productId = 0;
    int operationPriceId = 0;
    double price = 0;
};

// What one workstation did, and how long each action took (milliseconds).
struct Outcome {
    std::vector<double> dayChanges, saves, changes, deletes;
    int added = 0, deleted = 0, refused = 0, stale = 0;
    QStringList errors;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

void printTimes(const char* what, const std::vector<double>& v) {
    std::printf("%s: %zu, median %.1f ms, 95th percentile %.1f ms, max %.1f ms\n", what, v.size(),
                percentile(v, 0.5), percentile(v, 0.95),
                v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()));
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// One workstation's day: its own session, its own journals and records. Its records carry a
// colour of their own (index * 1,000,000 and up), so that the check at the end finds them.
void workstation(int index, const QStringList& target, const std::vector<Pattern>& patterns,
                 const QDate& lastDay, std::chrono::steady_clock::time_point until, std::latch& opened,
                 Outcome& out) {
    const QString name = QStringLiteral("load_%1").arg(index);
    {
        Database db(nullptr, name);
        db.connection().setConnectionString(buildConnectionString(target));
        try {
            db.connection().open();
        } catch (const DbError& e) {
            out.errors << e.message;
            opened.count_down();
            return;
        }
        opened.arrive_and_wait();
        std::array<Dataset, 4> journals{Dataset(nullptr, name), Dataset(nullptr, name),
                                        Dataset(nullptr, name), Dataset(nullptr, name)};
        for (int s = 1; s <= 4; ++s)
            journals[s - 1].setSql(Database::journalSql(s));
        std::mt19937 random(unsigned(index) * 7919u + 1u);
        std::vector<WorkRecord> own; // records this workstation saved and has not deleted
        int colour = index * 1000000;
        WorkRecordStore store(db);
        while (std::chrono::steady_clock::now() < until) {
            // A foreman works on the last days mostly.
            const QDate day = lastDay.addDays(-int(random() % 20));
            try {
                QElapsedTimer t;
                t.start();
                for (Dataset& j : journals) {
                    j.setParam(QStringLiteral("data"), day);
                    j.setParam(QStringLiteral("ok"), QStringLiteral("ta"));
                }
                db.openJournals(journals);
                out.dayChanges.push_back(msSince(t));

                const Pattern& p = patterns[random() % patterns.size()];
                WorkRecord r;
                r.date = day;
                r.shift = 1 + int(random() % 3);
                r.workerId = p.workerId;
                r.productId = p.productId;
                r.operationPriceId = p.operationPriceId;
                r.price = p.price;
                r.quantity = QString::number(1 + random() % 40);
                r.rejects = QStringLiteral("0");
                r.hours = QString::number(1 + random() % 3);
                r.colour = QString::number(++colour);
                t.restart();
                store.add(r, day);
                Dataset& shown = journals[size_t(r.shift - 1)];
                shown.close();
                shown.open();
                out.saves.push_back(msSince(t));
                ++out.added;
                r.id = db.readValue(QStringLiteral("select id from accounts_dep.smena where color=:c"),
                                    {{QStringLiteral("c"), colour}})
                           .toInt();
                own.push_back(r);

                const unsigned action = random() % 4;
                if (action == 0 && !own.empty()) {
                    // Another worker's hours for one of its records: the hours move between two workers.
                    WorkRecord& before = own[random() % own.size()];
                    WorkRecord after = before;
                    after.workerId = patterns[random() % patterns.size()].workerId;
                    after.hours = QString::number(1 + random() % 3);
                    t.restart();
                    store.change(before, after, day);
                    out.changes.push_back(msSince(t));
                    before = after;
                } else if (action == 1 && !own.empty()) {
                    const size_t k = random() % own.size();
                    t.restart();
                    store.remove(own[k]);
                    out.deletes.push_back(msSince(t));
                    own.erase(own.begin() + qsizetype(k));
                    ++out.deleted;
                }
            } catch (const StaleRowError&) {
                ++out.stale;
            } catch (const Refusal&) {
                ++out.refused;
            } catch (const DbError& e) {
                out.errors << e.message;
            }
            // The foreman types the next record.
            std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 400));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    readLocalTimeZoneOnce(); // as the program does
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_load DATABASE SERVER [WORKSTATIONS [SECONDS]]\n");
        return 2;
    }
    const QStringList target = args.mid(0, 2);
    const int workstations = args.size() > 2 ? args[2].toInt() : 50;
    const int seconds = args.size() > 3 ? args[3].toInt() : 600;
    if (workstations < 1 || workstations > 200 || seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "bench_load: 1 to 200 workstations, 1 to 3600 seconds\n");
        return 2;
    }
    Database dm;
    dm.connection().setConnectionString(buildConnectionString(target));
    std::vector<Pattern> patterns;
    QDate lastDay;
    try {
        dm.connection().open();
        lastDay = dm.readValue(QStringLiteral("select max(data) from accounts_dep.smena")).toDate();
        Dataset rows(nullptr, dm.connection().name());
        rows.setSql(
            QStringLiteral("select distinct w_id, i_id, o_id, cena from accounts_dep.smena where data >= "
                           "(select max(data) from accounts_dep.smena) - 60 and smena between 1 and 3 "
                           "order by 1, 2, 3 limit 3000"));
        rows.open();
        for (rows.first(); !rows.eof(); rows.next())
            patterns.push_back({rows.fieldByName(QStringLiteral("w_id")).asInteger(),
                                rows.fieldByName(QStringLiteral("i_id")).asInteger(),
                                rows.fieldByName(QStringLiteral("o_id")).asInteger(),
                                rows.fieldByName(QStringLiteral("cena")).asFloat()});
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
        return 1;
    }
    if (patterns.empty()) {
        std::fprintf(stderr, "bench_load: no work records in the last 60 days\n");
        return 1;
    }
    std::printf("%d workstations for %d s on %s, %zu worker, product and operation patterns\n", workstations,
                seconds, qPrintable(target.first()), patterns.size());
    std::fflush(stdout);

    std::vector<Outcome> outcomes(static_cast<size_t>(workstations));
    std::vector<std::thread> threads;
    std::latch opened(workstations);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (int i = 0; i < workstations; ++i)
        threads.emplace_back(workstation, i + 1, target, std::cref(patterns), lastDay, until,
                             std::ref(opened), std::ref(outcomes[size_t(i)]));
    for (std::thread& t : threads)
        t.join();

    Outcome all;
    for (const Outcome& o : outcomes) {
        all.dayChanges.insert(all.dayChanges.end(), o.dayChanges.begin(), o.dayChanges.end());
        all.saves.insert(all.saves.end(), o.saves.begin(), o.saves.end());
        all.changes.insert(all.changes.end(), o.changes.begin(), o.changes.end());
        all.deletes.insert(all.deletes.end(), o.deletes.begin(), o.deletes.end());
        all.added += o.added;
        all.deleted += o.deleted;
        all.refused += o.refused;
        all.stale += o.stale;
        all.errors += o.errors;
    }
    printTimes("day change (four journal queries)", all.dayChanges);
    printTimes("work-record save with the hours upkeep and the shift's journal read again", all.saves);
    printTimes("work-record change to another worker", all.changes);
    printTimes("work-record delete", all.deletes);
    std::printf("refused (a duplicate or a limit): %d, found changed elsewhere: %d, errors: %lld\n",
                all.refused, all.stale, qlonglong(all.errors.size()));
    for (const QString& e : all.errors.mid(0, 5))
        std::printf("  error: %s\n", qPrintable(e));

    // What the database holds now.
    bool sound = all.errors.isEmpty();
    try {
        const qint64 stored =
            dm.readValue(QStringLiteral("select count(*) from accounts_dep.smena where color >= 1000000"))
                .toLongLong();
        const qint64 doubled =
            dm.readValue(
                  QStringLiteral("select count(*) from (select color from accounts_dep.smena where color >= "
                                 "1000000 group by color having count(*) > 1) d"))
                .toLongLong();
        const qint64 doubledRows =
            dm.readValue(QStringLiteral(
                             "select count(*) from (select 1 from accounts_dep.h_tabel where smena between "
                             "1 and 4 group by w_id, smena, month, year having count(*) > 1) d"))
                .toLongLong();
        // Every day of the timesheet rows of the workers and months written, against its records.
        const qint64 wrongDays =
            dm.readValue(QStringLiteral("with touched as (select distinct w_id, smena, "
                                        "extract(month from data)::int m, extract(year from data)::int y "
                                        "from accounts_dep.smena where color >= 1000000), "
                                        "sums as (select s.w_id, s.smena, s.data, sum(s.time) hours "
                                        "from accounts_dep.smena s join touched t on t.w_id = s.w_id and "
                                        "t.smena = s.smena and extract(month from s.data) = t.m and "
                                        "extract(year from s.data) = t.y group by 1, 2, 3) "
                                        "select count(*) from touched t join accounts_dep.h_tabel h on "
                                        "h.w_id = t.w_id and h.smena = t.smena and h.month = t.m and "
                                        "h.year = t.y cross join generate_series(1, 31) d "
                                        "left join sums s on s.w_id = t.w_id and s.smena = t.smena and "
                                        "s.data = make_date(t.y, t.m, 1) + d - 1 and "
                                        "extract(month from make_date(t.y, t.m, 1) + d - 1) = t.m "
                                        "where coalesce((array[h.d1, h.d2, h.d3, h.d4, h.d5, h.d6, h.d7, "
                                        "h.d8, h.d9, h.d10, h.d11, h.d12, h.d13, h.d14, h.d15, h.d16, "
                                        "h.d17, h.d18, h.d19, h.d20, h.d21, h.d22, h.d23, h.d24, h.d25, "
                                        "h.d26, h.d27, h.d28, h.d29, h.d30, h.d31])[d], 0) <> "
                                        "coalesce(s.hours, 0) and d <= extract(day from (make_date(t.y, "
                                        "t.m, 1) + interval '1 month' - interval '1 day'))"))
                .toLongLong();
        std::printf("records saved %d, deleted %d, expected %d, stored %lld; doubled records %lld, doubled "
                    "timesheet rows %lld, timesheet days unequal to their records %lld\n",
                    all.added, all.deleted, all.added - all.deleted, stored, doubled, doubledRows, wrongDays);
        sound =
            sound && stored == all.added - all.deleted && doubled == 0 && doubledRows == 0 && wrongDays == 0;
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
        return 1;
    }
    std::printf("%s\n",
                sound ? "held: no row lost or doubled, every timesheet day equals its records" : "NOT HELD");
    return sound ? 0 : 1;
}
