#!/usr/bin/env bash
# The first build as a new user meets it: a fresh clone of the repository (its committed state)
# in a `mktemp -d` folder, `make run` there without a display (headless, tracing every tick), and
# the seconds from the start of `make run` to the trace line of its first data string (Timer4).
# The Debian packages must be there already: the figure is the build's, not apt's. The run is
# ended then (its process group) and the clone removed. RUNS=N repeats it (3 by default).
#   bench/first-data-string.sh [REPOSITORY]
set -euo pipefail
repo=${1:-$(git -C "$(dirname "$0")" rev-parse --show-toplevel)}
runs=${RUNS:-3}
work=$(mktemp -d)
group=
end_run() { [[ -z $group ]] || kill -- "-$group" 2>/dev/null || true; wait 2>/dev/null || true; group=; }
trap 'end_run; rm -rf "$work"' EXIT
for run in $(seq "$runs"); do
    rm -rf "$work/clone"
    git clone -q "$repo" "$work/clone"
    load=$(cut -d' ' -f1 /proc/loadavg)
    start=$EPOCHREALTIME
    # A session of its own (setsid): its process group, make and the program, ends together.
    : >"$work/out"
    setsid env -u DISPLAY -u WAYLAND_DISPLAY make -C "$work/clone" run LINK="$work/line" \
        </dev/null >"$work/out" 2>"$work/err" &
    group=$!
    until grep -qE '^[0-9]+ Timer4 ' "$work/out"; do
        if ! kill -0 "$group" 2>/dev/null; then
            cat "$work/err" >&2
            echo "first-data-string: make run ended before its first data string" >&2
            exit 1
        fi
        sleep 0.05
    done
    seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
    end_run
    echo "run $run: first data string $seconds s after make run (load average $load at the start)"
done
