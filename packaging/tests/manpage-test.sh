#!/usr/bin/env bash
# The manual page: formats without a warning, names the program for whatis, carries the
# project's version, has its sections, and documents every option that --help lists.
#   manpage-test.sh PAGE PROGRAM VERSION
set -u
page=${1:?usage: manpage-test.sh PAGE PROGRAM VERSION}
program=${2:?}
version=${3:?}
failures=0
passes=0
check()
{
    if [[ $2 == "$3" ]]; then
        passes=$((passes + 1))
    else
        echo "FAIL: $1: got '$2', wanted '$3'"
        failures=$((failures + 1))
    fi
}

check "groff -man -ww warnings" "$(groff -man -Tutf8 -ww -z "$page" 2>&1)" ""
check "man --warnings" "$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" ""
check "lexgrog" "$(lexgrog "$page")" \
    "$page: \"dryx-plc-test - stand in for a production line's PLC, sending timed data strings to DRYX\""
check "version in .TH" "$(sed -n 's/^\.TH [^"]*"[^"]*" "\([^"]*\)".*/\1/p' "$page")" \
    "dryx-plc-test $version"

sections=$(sed -n 's/^\.SH "\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$page" | xargs)
check "sections" "$sections" \
    "NAME SYNOPSIS DESCRIPTION OPTIONS THE LINE OVER THE NETWORK HEADLESS COMMANDS SCENARIO SCRIPTS LINE FAULTS FILES ENVIRONMENT EXIT STATUS SIGNALS DIAGNOSTICS EXAMPLES SEE ALSO"

# The tags of the OPTIONS section's entries (the line after each .TP), minus signs as typed.
tags=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" | sed -n '/^\.TP/{n;p}' | sed 's/\\-/-/g')
options=$("$program" --help | grep -oE -- '(^|[ ,[])--?[a-zA-Z][a-z-]*' | grep -oE -- '--?[a-zA-Z][a-z-]*' |
    sort -u)
[[ -n $options ]] || { echo "FAIL: no option found in $program --help"; failures=$((failures + 1)); }
for option in $options; do
    if grep -qE -- "(^|[ \"])$option([ \"=]|\$)" <<<"$tags"; then
        passes=$((passes + 1))
    else
        echo "FAIL: $option (from --help) has no entry under OPTIONS"
        failures=$((failures + 1))
    fi
done

# Each headless command has an entry under HEADLESS COMMANDS.
commands=$(sed -n '/^\.SH "HEADLESS COMMANDS"/,/^\.SH /p' "$page" |
    sed -n '/^\.TP/{n;s/^\.BI\{0,1\} "\{0,1\}\([a-z]*\).*/\1/p}' | xargs)
check "headless commands" "$commands" "start stop alarm set fault show status launch help quit"

echo "manual page: $passes passed, $failures failed"
[[ $failures == 0 ]]
