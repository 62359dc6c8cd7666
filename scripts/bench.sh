#!/usr/bin/env bash
# Builds the large database (300 workers, three years of work records) in a private cluster
# and times the journal, the monthly timesheets and the year's report by workers on it, the
# report under three font setups, and the import from the earlier database on a database of its
# own. Run after scripts/setup.sh. Keeps the cluster for repeated runs when KEEP=1.
set -euo pipefail
cd "$(dirname "$0")/.."
state=$PWD/build/bench-cluster
if ! scripts/pgcluster.sh psql "$state" tabel_bench -c "select 1" >/dev/null 2>&1; then
    scripts/pgcluster.sh start "$state"
    time scripts/pgcluster.sh createdb "$state" tabel_bench db/schema.sql db/bench.sql
    # The first vacuum after the filling leaves most pages of a freshly filled table unmarked as
    # visible to all (seen on PostgreSQL 15), and the reports' index-only reads would then visit
    # the table after all; a second vacuum marks them.
    scripts/pgcluster.sh psql "$state" tabel_bench -c "vacuum"
    scripts/pgcluster.sh psql "$state" tabel_bench -c "vacuum analyze"
else
    # A kept cluster gets the indexes as this checkout has them (the file may be applied again).
    scripts/pgcluster.sh psql "$state" tabel_bench -f db/indexes.sql
fi
# shellcheck disable=SC1091
. "$state/info"
# What the benchmarks print is kept here too, for the goals at the end.
out=$PWD/build/bench-output
rm -rf "$out"
mkdir -p "$out"
build/bench/bench_journal tabel_bench "$PGC_HOST" | tee "$out/journal.txt"
echo "load average while the journal was timed: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$out/journal.txt"
QT_QPA_PLATFORM=offscreen build/bench/bench_editor tabel_bench "$PGC_HOST"
QT_QPA_PLATFORM=offscreen build/bench/bench_maintenance tabel_bench "$PGC_HOST"
# The journal's save with the change log's trigger and without it (goal: within 2 ms); the
# trigger is switched by the cluster's superuser.
PGC_SUPERUSER="$PGC_SUPERUSER" PGC_SUPERPASSWORD="$PGC_SUPERPASSWORD" \
    build/bench/bench_history_save tabel_bench "$PGC_HOST" || echo "bench_history_save: above its goal (exit $?)"
QT_QPA_PLATFORM=offscreen build/bench/bench_timesheets tabel_bench "$PGC_HOST" 2>&1 | grep -v propagateSizeHints

# The import from the earlier database: a fresh database of the schema only, filled by the
# benchmark with a large legacy history (SQLite through ODBC, and the journal source "smena").
scripts/pgcluster.sh createdb "$state" tabel_import db/schema.sql
# The benchmark writes the journal source (public.smena) through the program's role, which the
# schema gives no right to create tables; on this database of its own it gets that right.
scripts/pgcluster.sh psql "$state" tabel_import -c "grant create on schema public to sys" >/dev/null
build/bench/bench_import tabel_import "$PGC_HOST" || echo "bench_import: failed or below its goal (exit $?)"

# Fifty workstations at once (LOAD_WORKSTATIONS) for ten minutes (LOAD_SECONDS) on a copy of the
# large database, over the cluster's own socket: day changes, saves, changes and deletes of work
# records, then the checks that nothing was lost or doubled. It stops by itself.
if [ "${LOAD_SECONDS:-600}" != 0 ]; then
    scripts/pgcluster.sh psql "$state" postgres -c "drop database if exists tabel_load" >/dev/null
    scripts/pgcluster.sh psql "$state" postgres -c "create database tabel_load template tabel_bench" >/dev/null
    build/bench/bench_load tabel_load "$PGC_HOST" "${LOAD_WORKSTATIONS:-50}" "${LOAD_SECONDS:-600}" \
        || echo "bench_load: failed or not held (exit $?)"
    scripts/pgcluster.sh psql "$state" postgres -c "drop database tabel_load" >/dev/null
fi

# The year's report under the three font setups of a desktop, on this one machine: fontconfig is
# shown only some of the installed font folders. What stands behind the layouts' "Arial" decides
# how the PDF file is written.
fonts=$PWD/build/bench-fonts
mkdir -p "$fonts"
font_setup() { # name folder...
    local name=$1 dirs=
    shift
    for d in "$@"; do
        [ -d "$d" ] || return 1
        dirs+="  <dir>$d</dir>"$'\n'
    done
    cat > "$fonts/$name.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
$dirs  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <cachedir>$fonts/cache-$name</cachedir>
</fontconfig>
CONF
}
dejavu=/usr/share/fonts/truetype/dejavu
first=1
for setup in "dejavu|DejaVu only (a plain Debian desktop)|$dejavu" \
             "urw|with fonts-urw-base35|$dejavu /usr/share/fonts/opentype/urw-base35 /usr/share/fonts/type1/urw-base35" \
             "liberation|with fonts-liberation2|$dejavu /usr/share/fonts/truetype/liberation2"; do
    IFS='|' read -r name title dirs <<<"$setup"
    echo "fonts: $title"
    # shellcheck disable=SC2086
    if ! font_setup "$name" $dirs; then
        echo "  not installed here (scripts/setup.sh installs it)"
        continue
    fi
    extra=()
    [ $first = 1 ] || extra=(--no-statement) # the statement does not depend on the fonts
    first=0
    FONTCONFIG_FILE=$fonts/$name.conf QT_QPA_PLATFORM=offscreen \
        build/bench/bench_reports tabel_bench "$PGC_HOST" "${extra[@]}" 2>&1 | grep -v propagateSizeHints \
        | tee "$out/reports-$name.txt"
done

# Peak memory of the year's reports by workers written into a PDF file by the command line (the
# largest resident set, as GNU time counts it): the pages leave memory as they are written.
year=$(scripts/pgcluster.sh psql "$state" tabel_bench -Atc \
    "select extract(year from max(data))::int - 1 from accounts_dep.smena")
for report in workers workers-detail; do
    if [ ! -x /usr/bin/time ]; then
        echo "peak memory: /usr/bin/time missing (package time)"
        break
    fi
    peak=$({ FONTCONFIG_FILE=$fonts/dejavu.conf QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%M" \
        build/src/app/tabel --report "$report" --from "01.01.$year" --to "01.01.$((year + 1))" \
        --pdf "$fonts/report.pdf" tabel_bench "$PGC_HOST" 2>&1 >/dev/null; } | tail -n 1)
    echo "peak memory of tabel --report $report --pdf for $year: $((peak / 1024)) MB" | tee -a "$out/memory.txt"
done

# Each goal with what this run measured beside it.
goal() { # label measured unit limit
    local verdict
    if [ -z "$2" ]; then
        printf '  %-80s %12s   goal < %s %s\n' "$1" "not measured" "$4" "$3"
        return
    fi
    verdict=$(awk -v m="$2" -v g="$4" 'BEGIN { print (m + 0 < g + 0) ? "met" : "NOT MET" }')
    printf '  %-80s %9s %-2s   goal < %s %s: %s\n' "$1" "$2" "$3" "$4" "$3" "$verdict"
}
# The median of a statement's year (12 months) from bench_reports' lines.
statement_ms() { # report name as printed ("by workers")
    awk -v want="statement of the report $1:" '
        /^statement of the report / { on = ($0 == want) }
        on && /^ *12 months/ { sub(/.*median */, ""); sub(/ ms.*/, ""); print; exit }' "$out"/reports-*.txt 2>/dev/null
}
# The median into a PDF file or of the preview's first page of a report, under one font setup.
report_ms() { # font setup, report name as printed, "into a PDF file" or "preview's first page"
    [ -f "$out/reports-$1.txt" ] || return 0
    awk -v want="report $2 " -v what="$3" '
        index($0, want) == 1 && / pages$/ { on = 1; next }
        /^report / { on = 0 }
        on && index($0, "  " what) == 1 { sub(/.*median */, ""); sub(/ ms.*/, ""); print; exit }' \
        "$out/reports-$1.txt"
}
echo
echo "Goals, measured on this run (load average now: $(cut -d' ' -f1-3 /proc/loadavg)):"
goal "journal day change, four shifts, the program's one session (median)" \
    "$(sed -n 's/^journal day change.*median \([0-9.]*\) ms.*/\1/p' "$out/journal.txt")" ms 6
for report in "by workers|400" "by products|400" "by workers, detailed|800" "by products, detailed|400"; do
    IFS='|' read -r name limit <<<"$report"
    goal "statement of the report $name, a year (median)" "$(statement_ms "$name")" ms "$limit"
done
for setup in dejavu urw liberation; do
    goal "report by workers, a year, into a PDF file, fonts $setup (median)" \
        "$(report_ms "$setup" "by workers" "into a PDF file")" ms 1000
    goal "report by workers, detailed, a year, into a PDF file, fonts $setup (median)" \
        "$(report_ms "$setup" "by workers, detailed" "into a PDF file")" ms 2500
    for name in "by workers" "by workers, detailed"; do
        goal "preview's first page of the report $name, fonts $setup (median)" \
            "$(report_ms "$setup" "$name" "preview's first page")" ms 80
    done
done
goal "peak memory of the year's report by workers into a PDF file" \
    "$(sed -n 's/^peak memory of tabel --report workers --pdf.*: \([0-9]*\) MB/\1/p' "$out/memory.txt" 2>/dev/null)" MB 120
goal "peak memory of the year's report by workers, detailed, into a PDF file" \
    "$(sed -n 's/^peak memory of tabel --report workers-detail --pdf.*: \([0-9]*\) MB/\1/p' "$out/memory.txt" 2>/dev/null)" MB 200
echo "  the same rows as the statements first written (goal: same rows):"
grep -h -e "against the first statement" -e "against the first statements" "$out"/*.txt | sed 's/^/    /' || true
echo "  the reports dialog while a report is read (repaints, progress, \"Отмена\" stops the statement on the"
echo "  server) and the journal on one session: proven by the tests test_reports and test_database"
[ "${KEEP:-0}" = 1 ] || scripts/pgcluster.sh stop "$state"
