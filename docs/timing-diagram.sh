#!/bin/sh
# Makes docs/timing.svg: two 12-second runs of the example setup on the virtual line, one page
# and two pages, each recorded with --log, drawn by docs/timing-diagram.py.
#
#   docs/timing-diagram.sh PROGRAM [OUTPUT]
set -eu

program=${1:?usage: docs/timing-diagram.sh PROGRAM [OUTPUT]}
output=${2:-docs/timing.svg}
here=$(dirname "$0")
records=$(mktemp -d)
trap 'rm -rf "$records"' EXIT

run() { # record, then --set options
    record=$1
    shift
    "$program" --headless --settings "$here/../examples/setup.ini" --virtual-port \
        "$@" --start --duration 12 --log "$records/$record" </dev/null >/dev/null 2>"$records/$record.err" ||
        { echo "the run for $record failed:" >&2; cat "$records/$record.err" >&2; exit 1; }
}
run one-page.log &
one=$!
run two-pages.log --set pages=2 &
two=$!
wait $one
wait $two
python3 "$here/timing-diagram.py" "$records/one-page.log" "$records/two-pages.log" >"$output"
echo "$output: drawn from the records of two runs"
