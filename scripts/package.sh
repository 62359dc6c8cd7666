#!/usr/bin/env bash
# Builds the program alone (no tests) as a release in ./build-package and makes the Debian
# package of it there: build-package/tabel_VERSION_ARCH.deb. Installs the build packages first,
# as setup.sh does. Every workstation then gets it with `apt install ./tabel_….deb`.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
PACKAGES=(build-essential dpkg-dev cmake ninja-build ccache pkg-config git
          qt6-base-dev qt6-base-dev-tools libqt6sql6-psql libqt6sql6-odbc unixodbc-dev
          libxlsxwriter-dev libpq-dev libfontconfig-dev)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABEL_BUILD_TESTS=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build build-package -j2
# The program in the package carries no debugging symbols.
(cd build-package && cpack -G DEB -D CPACK_STRIP_FILES=ON)
ls -1 "$PWD"/build-package/tabel_*.deb
