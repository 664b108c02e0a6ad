#!/usr/bin/env bash
# The whole suite RUNS times in a row (10 by default) while HOGS busy loops (2 by default) keep
# every core of a 2-core machine busy, as a CI machine busy with other builds is: any failure
# ends it, with the failing run's output. Usage: tests/stress.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: tests/stress.sh BUILD_DIR}
runs=${RUNS:-10}
hogs=${HOGS:-2}
pids=()
stop_hogs() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_hogs EXIT
for _ in $(seq "$hogs"); do
    bash -c 'while :; do :; done' &
    pids+=($!)
done
started=$(date +%s)
for run in $(seq "$runs"); do
    begin=$(date +%s)
    if ! (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2) \
        > "$build/stress-run-$run.log" 2>&1; then
        cat "$build/stress-run-$run.log"
        echo "stress: run $run of $runs failed under $hogs busy loops"
        exit 1
    fi
    echo "stress: run $run of $runs passed in $(($(date +%s) - begin)) s" \
        "($(grep -E '^[0-9]+% tests passed' "$build/stress-run-$run.log" || true))"
done
echo "stress: $runs runs passed under $hogs busy loops in $(($(date +%s) - started)) s"
