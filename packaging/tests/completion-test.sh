#!/usr/bin/env bash
# The bash completion of dryx-plc-test, given the words as bash splits them ("=" is a word of its
# own, as COMP_WORDBREAKS has it by default):
#   completion-test.sh COMPLETION_SCRIPT [PROGRAM]
# With PROGRAM, every option that its --help lists must be among the completions.
set -u
script=${1:?usage: completion-test.sh COMPLETION_SCRIPT [PROGRAM]}
program=${2:-}
source /usr/share/bash-completion/bash_completion || exit 1
source "$script" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/rigs"
touch "$work/rigs/line1.ini" "$work/rigs/line2.ini" "$work/rigs/notes.txt"
# The serial devices the completion offers, in a folder of the test's own.
dev=$work/dev
mkdir "$dev" "$work/none"
touch "$dev/ttyS0" "$dev/ttyS1" "$dev/ttyUSB0" "$dev/ttyACM0" "$dev/tty0" "$dev/ttyprintk"
_dryx_plc_test_dev=$dev
cd "$work" || exit 1

failures=0
passes=0
# expect "WANTED COMPLETIONS" WORD...: the words up to and including the one being completed.
expect()
{
    local wanted=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    # The line as typed: no blanks around "=".
    COMP_LINE=$1
    local word previous=$1
    for word in "${@:2}"; do
        if [[ $word == = || $previous == = ]]; then COMP_LINE+=$word; else COMP_LINE+=" $word"; fi
        previous=$word
    done
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _dryx_plc_test 2>/dev/null # compopt complains outside a real completion
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $got == "$wanted" ]]; then
        passes=$((passes + 1))
    else
        echo "FAIL: '${COMP_WORDS[*]}' completes to '$got', wanted '$wanted'"
        failures=$((failures + 1))
    fi
}

[[ $(complete -p dryx-plc-test) == "complete -F _dryx_plc_test dryx-plc-test" ]] ||
    { echo "FAIL: no completion registered for dryx-plc-test"; failures=$((failures + 1)); }

# Every option, as offered where an option may come.
all="--duration --headless --help --log --log-append --monitor --port --script --seed --set --settings --start --trace --version --virtual-port --virtual-port= --virtual-time --wine-com -V -h"
expect "--headless --help" dryx-plc-test --he
expect "--headless" dryx-plc-test --hea
expect "--script --seed --set --settings --start" dryx-plc-test --s
expect "--version --virtual-port --virtual-port= --virtual-time" dryx-plc-test --v
expect "$all" dryx-plc-test ""
expect "--trace" dryx-plc-test --headless --tr
expect "pagegap= pages= points= port=" dryx-plc-test --set p
expect "Text1= Text2= Text3= Text4= Text6= Text7= Text8=" dryx-plc-test --set T
expect "" dryx-plc-test --set Text1 = ""
expect "1=$dev/ttyACM0 1=$dev/ttyS0 1=$dev/ttyS1 1=$dev/ttyUSB0" dryx-plc-test --port ""
expect "3=$dev/ttyACM0 3=$dev/ttyS0 3=$dev/ttyS1 3=$dev/ttyUSB0" dryx-plc-test --port 3
expect "$dev/ttyS0 $dev/ttyS1" dryx-plc-test --start "$dev/ttyS"
expect "$dev/ttyACM0 $dev/ttyS0 $dev/ttyS1 $dev/ttyUSB0" dryx-plc-test "$dev/"
expect "rigs/notes.txt" dryx-plc-test rigs/n
expect "$all" dryx-plc-test --virtual-port ""
expect "rigs/line1.ini rigs/line2.ini" dryx-plc-test --settings rigs/li
expect "rigs/line1.ini rigs/line2.ini rigs/notes.txt" dryx-plc-test --log rigs/
expect "rigs/line1.ini rigs/line2.ini rigs/notes.txt" dryx-plc-test --log-append rigs/
expect "rigs/line1.ini rigs/line2.ini" dryx-plc-test --settings = rigs/l
expect "rigs/notes.txt" dryx-plc-test --virtual-port = rigs/n
expect "rigs/notes.txt" dryx-plc-test --port 1 = rigs/n
expect "$dev/ttyACM0 $dev/ttyS0 $dev/ttyS1 $dev/ttyUSB0" dryx-plc-test --port 1 = ""
_dryx_plc_test_dev=$work/none
expect "1= 2= 3= 4= 5= 6= 7= 8=" dryx-plc-test --port ""
expect "3=" dryx-plc-test --port 3
_dryx_plc_test_dev=$dev
expect "" dryx-plc-test --duration ""
expect "" dryx-plc-test --wine-com ""

if [[ -n $program ]]; then
    COMP_WORDS=(dryx-plc-test "") COMP_CWORD=1 COMP_LINE="dryx-plc-test " COMP_POINT=14
    COMPREPLY=()
    _dryx_plc_test 2>/dev/null
    offered=" ${COMPREPLY[*]} "
    options=$("$program" --help | grep -oE -- '(^|[ ,[])--?[a-zA-Z][a-z-]*' |
        grep -oE -- '--?[a-zA-Z][a-z-]*' | sort -u)
    [[ -n $options ]] || { echo "FAIL: no option found in $program --help"; failures=$((failures + 1)); }
    for option in $options; do
        if [[ $offered == *" $option "* ]]; then
            passes=$((passes + 1))
        else
            echo "FAIL: $option (from --help) is not completed"
            failures=$((failures + 1))
        fi
    done
fi

# Where "=" does not break words, the whole word is replaced: the completions keep the number.
COMP_WORDBREAKS=${COMP_WORDBREAKS//=/}
expect "1=rigs/notes.txt" dryx-plc-test --port 1=rigs/n

echo "completion: $passes passed, $failures failed"
[[ $failures == 0 ]]
