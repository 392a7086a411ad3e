#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, ASan + UBSan) and runs each fuzzer for the given
# number of seconds (default 60), one after the other. The seeds are written anew from the
# simulated router's pages; what a fuzzer adds to them stays in build/fuzz/corpus/<fuzzer> for
# the next run. Fails when a fuzzer finds a crash, a hang, a leak or a broken check; the input
# that did it is left in build/fuzz/artifacts/<fuzzer>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
case "$seconds" in
    '' | *[!0-9]*)
        echo "usage: scripts/fuzz.sh [seconds per fuzzer]" >&2
        exit 2
        ;;
esac

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-$(nproc)}"

build=build/fuzz
seeds=$build/seeds
rm -rf "$seeds"
"$build/fuzz/make_seed_corpus" "$seeds"

# The settings fuzzer saves a file on every run: in memory, where the machine has it.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

# name and largest input: pages and bodies as a router might send them, settings files and
# values a good deal beyond what the program writes.
fuzzers=(
    "refresh_page 262144"
    "response_decoding 262144"
    "private_profile 65536"
    "unscramble 32768"
)

status=0
summary=()
for entry in "${fuzzers[@]}"; do
    read -r name maxLen <<<"$entry"
    corpus=$build/corpus/$name
    artifacts=$build/artifacts/$name
    log=$build/logs/$name.log
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    echo "=== $name: ${seconds}s"
    stamp=$(mktemp)
    rc=0
    "$build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -max_len="$maxLen" -timeout=25 \
        -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "$seeds/$name" >"$log" 2>&1 || rc=$?

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    # libFuzzer stops at its first finding and saves the input as crash-, leak-, timeout- or
    # oom-<hash>; a failure without one (a broken build, a bad flag) still counts.
    found=$(find "$artifacts" -type f -newer "$stamp")
    rm -f "$stamp"
    crashes=$(grep -c . <<<"$found" || true)
    if [ "$rc" -ne 0 ] && [ "$crashes" -eq 0 ]; then
        crashes=1
    fi
    line=$(printf '%-18s executions %-10s cov %-6s ft %-7s crashes %s' "$name" \
        "${executions:-?}" "${cov:-?}" "${ft:-?}" "$crashes")
    echo "$line"
    summary+=("$line")
    if [ "$rc" -ne 0 ]; then
        status=1
        echo "--- $name failed (exit $rc); the end of $log:"
        tail -n 40 "$log"
        if [ -n "$found" ]; then
            echo "input kept: $found"
        fi
    fi
done

echo "=== fuzz summary (${seconds}s each)"
printf '%s\n' "${summary[@]}"
exit $status
