#!/bin/bash
# The example scenario, in virtual time, must give the golden record kept beside it, byte for
# byte: any change to a byte, a time, a fault or a comment of the record shows here as a diff.
# Twice into the same file, as a user repeats the recipe: --log makes the record afresh; then
# once more with --log-append, which adds it to the end.
set -u
program=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for option in --log --log --log-append; do
    "$program" --settings "$examples/setup.ini" --script "$examples/rig.txt" --virtual-time \
        "$option" "$work/run.log" >/dev/null 2>"$work/errors"
    status=$?
    if [[ $status -ne 0 ]]; then
        echo "FAIL: $option: exit status $status"
        cat "$work/errors"
        exit 1
    fi
    expected=$examples/rig.golden.log
    if [[ $option == --log-append ]]; then
        expected=$work/twice.log
        cat "$examples/rig.golden.log" "$examples/rig.golden.log" >"$expected"
    fi
    if ! diff -u "$expected" "$work/run.log"; then
        echo "FAIL: $option: the record differs from $expected"
        exit 1
    fi
done
echo "PASS: the record is the golden one ($(wc -l <"$work/run.log") lines after --log-append)"
