#!/usr/bin/env bash
# Builds and runs every benchmark and prints one table: figure, build, goal, measured, result.
# Usage: scripts/bench.sh [--quick] [--no-win32] [--sim PATH_TO_LINUX_ROUTERDESK_SIM]
#   --quick     few passes and short waits: shows that the programs still run; the figures of
#               such a run mean little
#   --no-win32  Linux rows only (no MinGW build, no Wine)
#   --sim PATH  a routerdesk-sim built elsewhere instead of this tree's
# The exit code is 1 only when a benchmark could not run; a figure that misses its goal is shown
# as FAIL in the table and does not change it.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=()
win32=1
sim=""
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=(--quick) ;;
        --no-win32) win32=0 ;;
        --sim) sim=$(realpath "$2"); shift ;;
        *) echo "usage: $0 [--quick] [--no-win32] [--sim PATH]" >&2; exit 2 ;;
    esac
    shift
done

scripts/install-deps.sh

echo "== Building the Linux programs (preset linux)"
cmake --preset linux >/dev/null
targets=(routerdesk routerdesk-bench routerdesk-bench-inline routerdesk-map-watch)
[ -n "$sim" ] || targets+=(routerdesk-sim)
cmake --build --preset linux -j 2 --target "${targets[@]}" | tail -n 1
[ -n "$sim" ] || sim="$PWD/build/linux/tools/router-sim/routerdesk-sim"

args=(
    --linux-bench build/linux/bench/routerdesk-bench
    --linux-bench-inline build/linux/bench/routerdesk-bench-inline
    --map-watch build/linux/bench/routerdesk-map-watch
    --routerdesk build/linux/ui/gtk/routerdesk
    --sim "$sim"
)
if [ "$win32" = 1 ]; then
    echo "== Building the Win32 programs (preset mingw-w64)"
    cmake --preset mingw-w64 -DROUTERDESK_SIM="$sim" >/dev/null
    cmake --build --preset mingw-w64 -j 2 --target RouterDesk routerdesk-bench | tail -n 1
    args+=(
        --win32-bench build/mingw-w64/bench/routerdesk-bench.exe
        --win32-exe build/mingw-w64/ui/win32/RouterDesk.exe
        --wine-prefix "$PWD/build/mingw-w64/bench-wineprefix"
    )
fi

exec /usr/bin/python3 bench/run_figures.py "${quick[@]}" "${args[@]}"
