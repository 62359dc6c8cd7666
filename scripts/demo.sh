#!/usr/bin/env bash
# Sets everything up, starts a private PostgreSQL cluster with the demo workshop and opens
# the program on it. The cluster is stopped when the program ends.
# Needs a desktop (DISPLAY); without one, run it under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
# The program alone is built before it opens; the tests and benchmarks are built by the test
# command.
bash scripts/setup.sh tabel
state=$PWD/build/demo-cluster
scripts/pgcluster.sh start "$state"
trap 'scripts/pgcluster.sh stop "$state"' EXIT
scripts/pgcluster.sh createdb "$state" tabel_demo db/schema.sql db/demo.sql
# shellcheck disable=SC1091
. "$state/info"
echo "Демо-база tabel_demo на $PGC_HOST. Коды входа: 73516280 (полный доступ), fendrok, wirbo, plutvi."
build/src/app/tabel tabel_demo "$PGC_HOST" "$@"
