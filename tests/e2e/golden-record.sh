#!/bin/bash
# The example scenario, in virtual time, must give the golden record kept beside it, byte for
# byte: any change to a byte, a time, a fault or a comment of the record shows here as a diff.
set -u
program=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$program" --settings "$examples/setup.ini" --script "$examples/rig.txt" --virtual-time \
    --log "$work/run.log" >/dev/null 2>"$work/errors"
status=$?
if [[ $status -ne 0 ]]; then
    echo "FAIL: exit status $status"
    cat "$work/errors"
    exit 1
fi
if ! diff -u "$examples/rig.golden.log" "$work/run.log"; then
    echo "FAIL: the record differs from $examples/rig.golden.log"
    exit 1
fi
echo "PASS: the record is the golden one ($(wc -l <"$work/run.log") lines)"
