#!/usr/bin/env bash
# The Windows program as a Windows user gets it: its zip unpacked in a fresh Wine prefix, DRYX's
# setup written to the registry with `wine reg add`, COM1 mapped to a Linux pseudo-terminal
# (HKLM\Software\Wine\Ports). Checks, in order:
#   - `dryx-plc-test.exe --version` answers;
#   - the setup from the registry gives the fields their values (`show`, headless);
#   - --virtual-port is refused with what to use instead;
#   - Ctrl-C ends the program tidily;
#   - headless with the example scenario and --log, the pseudo-terminal's other side gets
#     exactly the record's bytes, at the line's pace (check_line.py), and the record is the
#     committed golden one;
#   - the installer beside the zip installs silently (folder, Start-menu entry, uninstall entry),
#     the installed program gives the golden record, and the uninstaller removes it all;
#   - the window opens on a virtual display, with the registry's setup in it (a screenshot).
#
#   tests/windows/run_windows_test.sh ZIP [SCREENSHOT]
#
# SCREENSHOT (default: beside the zip, windows-test-window.png) is where the window's picture
# goes. Exit status: 0 passed, 1 failed, 2 bad usage. WINDOWS_TEST_KEEP=1 keeps the temporary
# folder (prefix, record, bytes received, output) for a look.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -ge 1 ] && [ -f "$1" ] || { echo "usage: $0 ZIP [SCREENSHOT]" >&2; exit 2; }
ZIP=$(realpath "$1")
SHOT=$(realpath -m "${2:-$(dirname "$ZIP")/windows-test-window.png}")
WINE=$(command -v wine || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
for tool in "$WINE" "$WINESERVER" unzip python3 Xvfb openbox xdotool import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (make windows-deps)" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/dryx-windows.XXXXXX")
export WINEPREFIX=$WORK/prefix
# Quiet and without dialogs: no debug channels, no Mono or Gecko installers.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
READER_PID= XVFB_PID= WM_PID= WINDOW_PID=
START=$(date +%s)

cleanup() {
    local status=$?
    set +e
    # The Wine side goes first: a line that closes under the wineserver (it holds the
    # pseudo-terminal) makes it dump its whole object table on its standard error.
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    for pid in $WINDOW_PID $READER_PID $WM_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    local server_dir=
    [ -f "$WINEPREFIX/wineserver" ] && server_dir=${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver")
    if [ "${WINDOWS_TEST_KEEP:-0}" = 1 ]; then
        echo "kept: $WORK"
    else
        rm -rf "$WORK"
        case $server_dir in */wine-?*) rm -rf "$server_dir" ;; esac
    fi
    [ $status = 0 ] && echo "windows-test: passed in $(($(date +%s) - START)) s"
    exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

step() { echo "windows-test: $*"; }
fail() {
    echo "windows-test: FAIL: $*" >&2
    exit 1
}

unzip -q "$ZIP" -d "$WORK"
EXE=$(echo "$WORK"/dryx-plc-test-*-win64/dryx-plc-test.exe)
[ -f "$EXE" ] || fail "no dryx-plc-test.exe in $ZIP"
tool() { "$WINE" "$EXE" "$@"; }

step "a fresh Wine prefix"
"$WINE" wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix"

VERSION=$(sed -n 's/^project.dryx-plc-test VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
# A Windows console program ends its lines in CR LF.
out=$(tool --version 2>&1) || fail "--version: exit status $?: $out"
out=${out//$'\r'/}
[ "$out" = "dryx-plc-test $VERSION" ] || fail "--version said \"$out\""
step "--version: $out"

# DRYX's setup as DRYX writes it (string values); not the window's own values, so that the
# fields show where they came from.
KEY='HKCU\Software\VB and VBA Program Settings\kelmarith\setup'
for pair in NumKTron=10 NumModbus=5 Num6B=3 NumRelay=1 PLCTerminator=63536; do
    "$WINE" reg add "$KEY" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1 ||
        fail "reg add $pair"
done
shown=$(printf 'show\nquit\n' | tool --headless 2>"$WORK/show.err") ||
    fail "show: exit status $?: $(cat "$WORK/show.err")"
for field in Text1=33 Text4=1 Text6=1 Text8=63536 'Command4(1).Visible=True' \
             'Command4(2).Visible=False'; do
    grep -qxF "$field" <<<"${shown//$'\r'/}" || fail "the registry's setup did not give $field: $shown"
done
step "the setup from the registry: Text1=33 Text4=1 Text6=1 Text8=63536, alarm button 1 shown"

status=0
refusal=$(tool --headless --virtual-port 2>&1) || status=$?
[ $status = 2 ] && grep -q "no virtual line on Windows.*com0com" <<<"$refusal" ||
    fail "--virtual-port: exit status $status: $refusal"
step "--virtual-port refused (status 2), pointing to a virtual COM pair"

# Ctrl-C (Wine turns SIGINT into the console's Ctrl-C event) ends the run tidily: the summary
# is written and the exit status is 0, where the system's own handling would kill it.
(cd "$WORK" && exec "$WINE" "$EXE" --headless </dev/null >ctrlc.out 2>ctrlc.err) &
pid=$!
sleep 5
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ $status = 0 ] && grep -q "Summary: 0 data strings sent" "$WORK/ctrlc.err" ||
    fail "Ctrl-C: exit status $status: $(cat "$WORK/ctrlc.err")"
step "Ctrl-C ends the run with its summary, exit status 0"

python3 "$ROOT/tests/windows/line_reader.py" "$WORK/pty" "$WORK/bytes" "$WORK/times" "$WORK/stop" &
READER_PID=$!
for _ in $(seq 100); do [ -f "$WORK/pty" ] && break; sleep 0.1; done
[ -f "$WORK/pty" ] || fail "no pseudo-terminal"
PTY=$(cat "$WORK/pty")
"$WINE" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$PTY" /f >/dev/null 2>&1 ||
    fail "reg add COM1"
# Wine reads its ports when it starts.
"$WINESERVER" -k
"$WINESERVER" -w
step "COM1 is $PTY; the example scenario, headless, with --log (15.5 s)"
status=0
(cd "$WORK" && "$WINE" "$EXE" --headless --script "$ROOT/examples/rig.txt" --log run.log \
    </dev/null >run.out 2>run.err) || status=$?
[ $status = 0 ] || fail "the scenario run: exit status $status: $(cat "$WORK/run.err")"
grep -q "^started on Com Port 1 (COM1)" "$WORK/run.out" ||
    fail "the scenario run did not start on COM1: $(cat "$WORK/run.out")"
"$WINESERVER" -k
"$WINESERVER" -w
touch "$WORK/stop"
wait "$READER_PID"
READER_PID=
python3 "$ROOT/tests/windows/check_line.py" "$WORK/run.log" "$WORK/bytes" "$WORK/times" ||
    fail "what COM1 carried is not the record's bytes at the line's pace"
cmp -s <(grep -v '^# seed' "$ROOT/examples/rig.golden.log") <(grep -v '^# seed' "$WORK/run.log") ||
    fail "the record is not examples/rig.golden.log: $(diff "$ROOT/examples/rig.golden.log" "$WORK/run.log" | head -5)"
step "the record is examples/rig.golden.log, line for line; $(tail -1 "$WORK/run.err")"

# The installer, as an administrator runs it unattended (/S): the folder, the Start-menu entry and
# the uninstall entry; the program runs from where it was installed, with the example setup it
# brought; the uninstaller takes all of it away again.
SETUP=${ZIP%-win64.zip}-setup.exe
[ -f "$SETUP" ] || fail "no installer beside the zip: $SETUP"
"$WINE" "$SETUP" /S || fail "the installer: exit status $?"
"$WINESERVER" -w
INSTALLED="$WINEPREFIX/drive_c/Program Files/DRYX PLC Test"
MENU_ENTRY="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/DRYX PLC Test.lnk"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\dryx-plc-test'
[ -f "$INSTALLED/dryx-plc-test.exe" ] && [ -f "$INSTALLED/uninstall.exe" ] ||
    fail "not installed in C:\Program Files\DRYX PLC Test"
[ -f "$MENU_ENTRY" ] || fail "no Start-menu entry"
"$WINE" reg query "$UNINSTALL_KEY" /v DisplayVersion 2>/dev/null | grep -q "REG_SZ *$VERSION" ||
    fail "no uninstall entry for version $VERSION"
(cd "$WORK" && "$WINE" 'C:\Program Files\DRYX PLC Test\dryx-plc-test.exe' --headless \
    --virtual-time --settings 'C:\Program Files\DRYX PLC Test\examples\setup.ini' \
    --script 'C:\Program Files\DRYX PLC Test\examples\rig.txt' --log installed.log \
    </dev/null >installed.out 2>installed.err) ||
    fail "the installed program: exit status $?: $(cat "$WORK/installed.err")"
cmp -s <(grep -v '^# seed' "$ROOT/examples/rig.golden.log") <(grep -v '^# seed' "$WORK/installed.log") ||
    fail "the installed program's record is not examples/rig.golden.log"
step "installed by $(basename "$SETUP") /S: the program, its Start-menu entry, its uninstall entry; its example scenario gives the golden record"
"$WINE" "$INSTALLED/uninstall.exe" /S || fail "the uninstaller: exit status $?"
"$WINESERVER" -w
[ ! -e "$INSTALLED" ] && [ ! -e "$MENU_ENTRY" ] ||
    fail "the uninstaller left $(ls "$INSTALLED" "$MENU_ENTRY" 2>&1 | head -3)"
if "$WINE" reg query "$UNINSTALL_KEY" >/dev/null 2>&1; then fail "the uninstall entry is left"; fi
# A server started without a display would give the window none.
"$WINESERVER" -k
"$WINESERVER" -w
step "uninstalled: folder, Start-menu entry and uninstall entry gone"

step "the window, on a virtual display"
exec 5>"$WORK/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
exec 5>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$WORK/display")
openbox >/dev/null 2>&1 &
WM_PID=$!
"$WINE" "$EXE" >"$WORK/window.out" 2>&1 &
WINDOW_PID=$!
window=
for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^DRYX PLC Test$' 2>/dev/null | head -1) || true
    [ -n "$window" ] && break
    kill -0 "$WINDOW_PID" 2>/dev/null || fail "the program ended: $(cat "$WORK/window.out")"
    sleep 0.5
done
[ -n "$window" ] || fail "no window \"DRYX PLC Test\" within 60 s"
# Wine draws the window's contents a moment after mapping it.
sleep 3
mkdir -p "$(dirname "$SHOT")"
import -window root "$SHOT"
colours=$(convert "$SHOT" -format %k info:)
[ "$colours" -gt 16 ] || fail "the screenshot is nearly blank ($colours colours): $SHOT"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
step "window \"DRYX PLC Test\" shown, $geometry; screenshot $SHOT"
