#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its demo need, then configures
# and builds it in ./build. Works as root or as a user with sudo.
#
#   setup.sh            builds everything: the program, the tests, the benchmarks, the tools
#   setup.sh TARGET...  builds only these targets (the demo builds the program alone: `tabel`)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
    libqt6sql6-psql libqt6sql6-odbc unixodbc unixodbc-dev odbc-postgresql libsqliteodbc
    libxlsxwriter-dev libpq-dev libfontconfig-dev postgresql
    xvfb xauth imagemagick poppler-utils fonts-dejavu unzip
    fonts-liberation2 fonts-urw-base35
    time
)
bash scripts/install-packages.sh "${PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build build -j2 ${1:+--target "$@"}
