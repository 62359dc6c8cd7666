#!/usr/bin/env bash
# The build stamp of one commit is the same in every build folder, on every workstation (other
# time zone, other clone), so that building it again never shuts down the copies in service;
# SOURCE_DATE_EPOCH overrides it, and a tree with uncommitted changes is marked.
set -euo pipefail
src=${1:?source folder}
script="$src/src/app/WriteBuildStamp.cmake"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! git -C "$src" rev-parse HEAD >/dev/null 2>&1; then
    echo "not a git tree: nothing to compare"; exit 0
fi
# A second clone of the same commit, built elsewhere and in another time zone.
git clone -q --no-checkout "$src" "$work/clone"
git -C "$work/clone" checkout -q "$(git -C "$src" rev-parse HEAD)"

stamp() { grep -E 'TABEL_BUILD_(DATE|TIME|COMMIT)' "$1"; }
TZ=Europe/Moscow cmake -DOUTPUT="$work/a.h" -DSOURCE_DIR="$src" -P "$script"
TZ=America/New_York cmake -DOUTPUT="$work/b.h" -DSOURCE_DIR="$work/clone" -P "$script"
diff <(stamp "$work/a.h") <(stamp "$work/b.h")

expected=$(TZ=UTC git -C "$src" log -1 --format=%cd --date=format-local:'%H:%M:%S' HEAD)
grep -q "TABEL_BUILD_TIME \"$expected\"" "$work/a.h" || { echo "stamp is not the commit's time $expected"; cat "$work/a.h"; exit 1; }
grep -q 'TABEL_BUILD_DIRTY 0' "$work/b.h" || { echo "a clean clone is reported as changed"; exit 1; }

echo changed >> "$work/clone/README.md"
cmake -DOUTPUT="$work/c.h" -DSOURCE_DIR="$work/clone" -P "$script"
grep -q 'TABEL_BUILD_DIRTY 1' "$work/c.h" || { echo "uncommitted changes not reported"; exit 1; }

SOURCE_DATE_EPOCH=1709046663 cmake -DOUTPUT="$work/d.h" -DSOURCE_DIR="$src" -P "$script"
grep -q 'TABEL_BUILD_DATE "Feb 27 2024"' "$work/d.h" && grep -q 'TABEL_BUILD_TIME "15:11:03"' "$work/d.h" \
    || { echo "SOURCE_DATE_EPOCH not honoured"; cat "$work/d.h"; exit 1; }
echo "same stamp in both builds: $(stamp "$work/a.h" | tr '\n' ' ')"
