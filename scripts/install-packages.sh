#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing (apt-get, with sudo unless root).
set -euo pipefail
SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
