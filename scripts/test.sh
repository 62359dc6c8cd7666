#!/usr/bin/env bash
# Sets everything up and runs the whole test suite (the suite starts its own PostgreSQL).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
ctest --output-on-failure -j2
