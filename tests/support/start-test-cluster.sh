#!/usr/bin/env bash
# Starts the test cluster and builds the template database that every test clones.
set -euo pipefail
state=$1
src=$2
"$src/scripts/pgcluster.sh" start "$state"
"$src/scripts/pgcluster.sh" createdb "$state" tabel_template "$src/db/schema.sql"
