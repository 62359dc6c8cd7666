#!/usr/bin/env bash
# Builds the large database (300 workers, three years of work records) in a private cluster
# and times the journal and the year's report by workers on it. Run after scripts/setup.sh. Keeps the cluster for repeated
# runs when KEEP=1.
set -euo pipefail
cd "$(dirname "$0")/.."
state=$PWD/build/bench-cluster
if ! scripts/pgcluster.sh psql "$state" tabel_bench -c "select 1" >/dev/null 2>&1; then
    scripts/pgcluster.sh start "$state"
    time scripts/pgcluster.sh createdb "$state" tabel_bench db/schema.sql db/bench.sql
    scripts/pgcluster.sh psql "$state" tabel_bench -c "vacuum analyze"
fi
# shellcheck disable=SC1091
. "$state/info"
build/bench/bench_journal tabel_bench "$PGC_HOST"
QT_QPA_PLATFORM=offscreen build/bench/bench_editor tabel_bench "$PGC_HOST"
QT_QPA_PLATFORM=offscreen build/bench/bench_reports tabel_bench "$PGC_HOST" 2>&1 | grep -v propagateSizeHints
[ "${KEEP:-0}" = 1 ] || scripts/pgcluster.sh stop "$state"
