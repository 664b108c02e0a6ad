#!/usr/bin/env bash
# The desktop entry: valid for desktop-file-validate, and starting the installed program with
# the theme's icon.
#   desktop-test.sh ENTRY
set -u
entry=${1:?usage: desktop-test.sh ENTRY}
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
check "desktop-file-validate" "$(desktop-file-validate "$entry" 2>&1; echo "status $?")" "status 0"
value() { sed -n "s/^$1=//p" "$entry"; }
check "group" "$(head -n 1 "$entry")" "[Desktop Entry]"
check Type "$(value Type)" Application
check Name "$(value Name)" "DRYX PLC Test"
check Exec "$(value Exec)" dryx-plc-test
check Icon "$(value Icon)" dryx-plc-test
check Terminal "$(value Terminal)" false
check Categories "$(value Categories)" "Development;Electronics;Qt;"
check "Comment given" "$(value Comment | grep -c .)" 1
echo "desktop entry: $passes passed, $failures failed"
[[ $failures == 0 ]]
