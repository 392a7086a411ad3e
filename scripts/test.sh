#!/usr/bin/env bash
# Builds every configuration and runs every test: Linux (with the GTK program end to end),
# Linux under ASan + UBSan, the Windows build under Wine (with RouterDesk.exe end to end
# against the Linux simulated router), and the fuzzers for a minute each.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
sim="$PWD/build/linux/tools/router-sim/routerdesk-sim"
for preset in linux linux-asan mingw-w64; do
    echo "=== $preset: build"
    if [ "$preset" = mingw-w64 ]; then
        cmake --preset "$preset" -DROUTERDESK_SIM="$sim" >/dev/null
    else
        cmake --preset "$preset" >/dev/null
    fi
    cmake --build --preset "$preset" -j "$jobs"
done

# A Wine prefix of this run's own, so no state from an earlier run is involved.
export WINEPREFIX="$PWD/build/mingw-w64/wineprefix"
rm -rf "$WINEPREFIX"

status=0
for preset in linux linux-asan mingw-w64; do
    echo "=== $preset: test"
    if [ "$preset" = linux-asan ]; then
        # The sanitizer build runs the unit and integration tests; the windows are tested in
        # the plain build.
        ctest --preset "$preset" -j "$jobs" -LE e2e || status=1
    elif [ "$preset" = mingw-w64 ]; then
        # Wine now and then fails to start a program at all (no output, a fraction of a second):
        # such a test gets one more run; a real failure fails both.
        ctest --preset "$preset" -j "$jobs" --repeat until-pass:2 || status=1
    else
        ctest --preset "$preset" -j "$jobs" || status=1
    fi
done
WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true

# The benchmarks in their short form: their figures mean little on a shared CI machine, so this
# only shows that every one of them still runs, on both builds.
echo "=== bench (quick)"
scripts/bench.sh --quick --sim "$sim" || status=1

# The fuzzers, a minute each by default, from the simulated router's pages and what earlier runs
# of this tree found.
echo "=== fuzz"
scripts/fuzz.sh "${ROUTERDESK_FUZZ_SECONDS:-60}" || status=1
exit $status
