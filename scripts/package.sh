#!/usr/bin/env bash
# Builds the program alone (no tests) as a release in ./build-package and makes the Debian
# package of it there: build-package/tabel_VERSION_ARCH.deb. Installs the build packages first,
# as setup.sh does. Every workstation then gets it with `apt install ./tabel_….deb`.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential dpkg-dev cmake ninja-build ccache pkg-config git
          qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libqt6sql6-psql libqt6sql6-odbc unixodbc-dev
          libxlsxwriter-dev libpq-dev libfontconfig-dev)
bash scripts/install-packages.sh "${PACKAGES[@]}"

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABEL_BUILD_TESTS=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build build-package -j2
# The program in the package carries no debugging symbols.
(cd build-package && cpack -G DEB -D CPACK_STRIP_FILES=ON)
ls -1 "$PWD"/build-package/tabel_*.deb
