#!/usr/bin/env bash
# Builds every configuration and runs every test: Linux, Linux under ASan + UBSan, and the
# Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
for preset in linux linux-asan mingw-w64; do
    echo "=== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

# A Wine prefix of this run's own, so no state from an earlier run is involved.
export WINEPREFIX="$PWD/build/mingw-w64/wineprefix"
rm -rf "$WINEPREFIX"

status=0
for preset in linux linux-asan mingw-w64; do
    echo "=== $preset: test"
    ctest --preset "$preset" -j "$jobs" || status=1
done
wineserver -k 2>/dev/null || true
exit $status
