#!/usr/bin/env bash
# The tool's virtual line read by a Windows program under Wine, started by the tool itself as it
# starts the monitoring application: the headless `launch` command (the picture's click) starts
# "c:\program files\dryx\dryx.exe" of a fresh Wine prefix, COM7 mapped to the line's link.
# The stand-in (com_reader.c) stores every byte it receives; the bytes must be whole data strings
# of examples/setup.ini, byte for byte.
#
#   tests/wine/run_wine_test.sh PROGRAM
#
# Exit status: 0 passed, 1 failed, 2 bad usage, 77 skipped (no Wine or no MinGW-w64 compiler).
# WINE_TEST_KEEP=1 keeps the temporary directory (prefix, logs, received bytes) for a look.
set -euo pipefail

# shellcheck source=../support/program-argument.sh
source "$(dirname "$0")/../support/program-argument.sh"
SETUP=$ROOT/examples/setup.ini
PORT=7
READ_SECONDS=6

# Debian's wine package puts wine and wineserver on the PATH; wine64 alone has only the loader
# and the server in /usr/lib/wine.
WINE=$(command -v wine || true)
WINESERVER=$(command -v wineserver || true)
[ -n "$WINE" ] || { [ -x /usr/lib/wine/wine64 ] && WINE=/usr/lib/wine/wine64; } || true
[ -n "$WINESERVER" ] || { [ -x /usr/lib/wine/wineserver ] && WINESERVER=/usr/lib/wine/wineserver; } || true
CC=$(command -v x86_64-w64-mingw32-gcc || true)
if [ -z "$WINE" ] || [ -z "$WINESERVER" ]; then
    echo "SKIP: Wine is not installed (Debian: apt-get install wine wine64)"
    exit 77
fi
if [ -z "$CC" ]; then
    echo "SKIP: x86_64-w64-mingw32-gcc is not installed (Debian: apt-get install gcc-mingw-w64-x86-64)"
    exit 77
fi

now_ms() { echo $(($(date +%s%N) / 1000000)); }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/dryx-wine.XXXXXX")
export WINEPREFIX=$WORK/prefix
# Quiet and without dialogs: no debug channels, no Mono or Gecko installers, no display.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
LINK=$WORK/line
TOOL_PID=

cleanup() {
    local status=$?
    set +e
    # The Wine side goes first: the wineserver has the line as its controlling terminal, and a
    # line that closes under it makes it dump its whole object table on its standard error.
    if [ -d "$WINEPREFIX" ]; then
        "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
    fi
    if [ -n "$TOOL_PID" ] && kill -0 "$TOOL_PID" 2>/dev/null; then
        kill -TERM "$TOOL_PID"
        wait "$TOOL_PID"
    fi
    # Debian's wineserver keeps its socket in a directory of its own, named in the prefix.
    local server_dir=
    [ -f "$WINEPREFIX/wineserver" ] && server_dir=${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver")
    if [ "${WINE_TEST_KEEP:-0}" = 1 ]; then
        echo "kept: $WORK"
    else
        rm -rf "$WORK"
        case $server_dir in */wine-?*) rm -rf "$server_dir" ;; esac
    fi
    exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$CC" -std=c11 -O2 -Wall -Wextra -Wpedantic -Werror -s -o "$WORK/com_reader.exe" \
    "$ROOT/tests/wine/com_reader.c"

# A fresh prefix, made before the tool starts so that the launch below is timed as an operator
# sees it on a prefix in use.
started=$(now_ms)
"$WINE" wineboot -i >"$WORK/wineboot.log" 2>&1 || fail "wineboot -i: $(cat "$WORK/wineboot.log")"
"$WINESERVER" -w
echo "Wine prefix made in $(($(now_ms) - started)) ms"

# The directory is "Program Files" in a new prefix; Wine finds "c:\program files" in it, while a
# second directory "program files" beside it would not be found under that name.
APP_DIR="$WINEPREFIX/drive_c/Program Files/dryx"
mkdir -p "$APP_DIR"
cp "$WORK/com_reader.exe" "$APP_DIR/dryx.exe"

# The tool headless on the virtual line, its commands through a pipe: Com Port 7, Start, and the
# picture's click. The reader's settings come from the environment, which the launch passes on.
OUT=$WORK/received.bin
mkfifo "$WORK/commands"
DRYX_TEST_COM=$PORT DRYX_TEST_OUT="Z:${OUT//\//\\}" DRYX_TEST_SECONDS=$READ_SECONDS \
    "$PROGRAM" --headless --settings "$SETUP" --virtual-port="$LINK" \
    <"$WORK/commands" >"$WORK/tool.out" 2>"$WORK/tool.err" &
TOOL_PID=$!
exec 3>"$WORK/commands"
for _ in $(seq 100); do
    [ -L "$LINK" ] && break
    kill -0 "$TOOL_PID" 2>/dev/null || fail "the tool ended at start: $(cat "$WORK/tool.err")"
    sleep 0.05
done
[ -L "$LINK" ] || fail "the tool made no link $LINK"
echo "set port $PORT" >&3
echo start >&3
launched=$(now_ms)
echo launch >&3
running_ms=
first_byte_ms=
for _ in $(seq 3000); do
    [ -z "$running_ms" ] && [ -e "$OUT" ] && running_ms=$(($(now_ms) - launched))
    if [ -s "$OUT" ]; then
        first_byte_ms=$(($(now_ms) - launched))
        break
    fi
    sleep 0.01
done
echo "launch: program running ${running_ms:-never} ms, first byte ${first_byte_ms:-never} ms after the launch command (COM$PORT mapped on the way)"
# The reader ends after its reading time; the prefix's server ends with the last program.
timeout 60 "$WINESERVER" -w || fail "the Windows program did not end"

# A second click starts a second instance, the mapping standing as it is: no word of it again.
mv "$OUT" "$WORK/first.bin"
launched=$(now_ms)
echo launch >&3
for _ in $(seq 3000); do [ -s "$OUT" ] && break; sleep 0.01; done
echo "second launch: first byte $(($(now_ms) - launched)) ms after the launch command"
timeout 60 "$WINESERVER" -w || fail "the second Windows program did not end"
echo stop >&3
echo quit >&3
exec 3>&-
tool_status=0
wait "$TOOL_PID" || tool_status=$?
TOOL_PID=
[ "$tool_status" = 0 ] || fail "the tool ended with status $tool_status: $(cat "$WORK/tool.err")"
cat "$WORK/tool.out"
grep -qxF 'started c:\program files\dryx\dryx.exe through Wine' "$WORK/tool.out" ||
    fail "the tool did not confirm the launch: $(cat "$WORK/tool.out" "$WORK/tool.err")"
[ "$(grep -cxF 'started c:\program files\dryx\dryx.exe through Wine' "$WORK/tool.out")" = 2 ] ||
    fail "two launches, not two confirmations: $(cat "$WORK/tool.out")"
mapped="dryx-plc-test: Open DRYX: COM$PORT of $WINEPREFIX → $LINK"
[ "$(grep -cxF "$mapped" "$WORK/tool.err")" = 1 ] ||
    fail "the mapping was not said once ($mapped): $(cat "$WORK/tool.err")"
grep -q ' 0 errors reported$' "$WORK/tool.err" || fail "errors reported: $(cat "$WORK/tool.err")"
OUT=$WORK/first.bin
[ -e "$OUT" ] || fail "the Windows program wrote no file"

# Every whole data string must be one of the two data sets of examples/setup.ini: 33 data points,
# the one alarm's state, the terminator. The reader comes and goes in the middle of a data string,
# so one partial string may stand at each end.
python3 - "$OUT" <<'EOF'
import sys

def data_string(first):
    lines = [str(value) for value in range(first, first + 33)] + ["0", "63536"]
    return b"".join(line.encode() + b"\r\n" for line in lines)

forms = {data_string(1): "first data set", data_string(11): "second data set"}
received = open(sys.argv[1], "rb").read()
print(f"received {len(received)} bytes")
terminator = b"63536\r\n"
pieces = [piece + terminator for piece in received.split(terminator)]
pieces[-1] = pieces[-1][: -len(terminator)]
head, tail = pieces[0], pieces[-1]
whole = pieces[1:-1]
if head in forms:
    whole.insert(0, head)
elif not any(form.endswith(head) for form in forms):
    sys.exit(f"FAIL: the bytes before the first whole data string are no end of one: {head!r}")
if tail and not any(form.startswith(tail) and form != tail for form in forms):
    sys.exit(f"FAIL: the bytes after the last whole data string are no start of one: {tail!r}")
for index, piece in enumerate(whole):
    if piece not in forms:
        sys.exit(f"FAIL: data string {index + 1} is none of the two data sets: {piece!r}")
if len(whole) < 2:
    sys.exit(f"FAIL: {len(whole)} whole data string(s) received, at least 2 expected")
counts = {name: sum(forms[piece] == name for piece in whole) for name in forms.values()}
print(f"{len(whole)} whole data strings, byte-exact: " +
      ", ".join(f"{count} of the {name}" for name, count in counts.items()) +
      f"; {len(head) if head not in forms else 0} bytes of a partial one before,"
      f" {len(tail)} after")
print(f"first whole data string ({len(whole[0])} bytes): {whole[0]!r}")
EOF
echo "PASS: the Windows program under Wine received whole data strings from the tool"
