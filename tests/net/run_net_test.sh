#!/usr/bin/env bash
# The tool's virtual line served over TCP by ser2net, as a monitoring application on another PC
# reads it: the tool runs headless on the virtual line (examples/setup.ini, recorded with --log),
# ser2net serves its link from a copy of examples/ser2net.yaml (the link and two free loopback
# ports put in), and pyserial reads it first as a raw TCP client (socket://), then as an RFC 2217
# client (rfc2217://...?ign_set_control: a pseudo-terminal has no modem lines, and ser2net never
# answers a DTR/RTS request on one). Each client's whole data strings must be recorded data
# strings byte for byte, no burst faster than the line's 960 bytes a second, and the tool must not
# have seen a receiver set otherwise than 9600,N,8,1.
#
#   tests/net/run_net_test.sh PROGRAM
#
# Exit status: 0 passed, 1 failed, 2 bad usage, 77 skipped (ser2net or python3-serial missing).
# NET_TEST_KEEP=1 keeps the temporary directory (record, bytes, logs) for a look.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/program-argument.sh
source "$HERE/../support/program-argument.sh"
RUN_SECONDS=8
READ_SECONDS=3

# pyserial of Debian (python3-serial) is for Debian's python3, whatever else is on the PATH.
PYTHON=
for p in /usr/bin/python3 "$(command -v python3 || true)"; do
    if [ -n "$p" ] && [ -x "$p" ] && "$p" -c 'import serial' 2>/dev/null; then PYTHON=$p; break; fi
done
SER2NET=$(command -v ser2net || true)
[ -n "$SER2NET" ] || { [ -x /usr/sbin/ser2net ] && SER2NET=/usr/sbin/ser2net; } || true
if [ -z "$SER2NET" ]; then
    echo "SKIP: ser2net is not installed (Debian: apt-get install ser2net)"
    exit 77
fi
if [ -z "$PYTHON" ]; then
    echo "SKIP: pyserial is not installed (Debian: apt-get install python3-serial)"
    exit 77
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/dryx-net.XXXXXX")
LINK=$WORK/line
TOOL_PID=
SER2NET_PID=

cleanup() {
    local status=$?
    set +e
    for pid in $SER2NET_PID $TOOL_PID; do
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid"
            wait "$pid" 2>/dev/null
        fi
    done
    if [ "${NET_TEST_KEEP:-0}" = 1 ]; then
        echo "kept: $WORK"
    else
        rm -rf "$WORK"
    fi
    exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Two free loopback ports, as the system hands them out.
read -r RAW_PORT RFC_PORT < <("$PYTHON" - <<'EOF'
import socket
held = []
for _ in range(2):
    s = socket.socket()
    s.bind(('127.0.0.1', 0))
    held.append(s)
print(*(s.getsockname()[1] for s in held))
EOF
)

# The example file with the link and the ports of this run; nothing else changed.
sed -e "s|/tmp/dryx-line|$LINK|g" \
    -e "s|tcp,127.0.0.1,3333|tcp,127.0.0.1,$RAW_PORT|" \
    -e "s|tcp,127.0.0.1,3334|tcp,127.0.0.1,$RFC_PORT|" \
    "$ROOT/examples/ser2net.yaml" > "$WORK/ser2net.yaml"
if ! grep -q "127.0.0.1,$RAW_PORT" "$WORK/ser2net.yaml" ||
   ! grep -q "127.0.0.1,$RFC_PORT" "$WORK/ser2net.yaml" ||
   grep -q /tmp/dryx-line "$WORK/ser2net.yaml"; then
    echo "FAIL: examples/ser2net.yaml does not have the link and the ports 3333 and 3334 expected"
    exit 1
fi

timeout $((RUN_SECONDS + 10)) "$PROGRAM" --headless --settings "$ROOT/examples/setup.ini" \
    --virtual-port="$LINK" --start --log "$WORK/record.log" --duration "$RUN_SECONDS" \
    < /dev/null > "$WORK/tool.out" 2> "$WORK/tool.err" &
TOOL_PID=$!
for _ in $(seq 100); do
    [ -L "$LINK" ] && break
    kill -0 "$TOOL_PID" 2>/dev/null || break
    sleep 0.05
done
if [ ! -L "$LINK" ]; then
    echo "FAIL: the tool made no link $LINK within 5 s"
    cat "$WORK/tool.err"
    exit 1
fi

# -u: no UUCP lock file in /var/lock for the link (a test leaves nothing behind).
timeout $((RUN_SECONDS + 10)) "$SER2NET" -n -u -c "$WORK/ser2net.yaml" \
    > "$WORK/ser2net.out" 2>&1 &
SER2NET_PID=$!
for _ in $(seq 100); do
    "$PYTHON" -c "import socket,sys; socket.create_connection(('127.0.0.1', int(sys.argv[1])), 0.2).close()" \
        "$RFC_PORT" 2>/dev/null && break
    kill -0 "$SER2NET_PID" 2>/dev/null || break
    sleep 0.05
done

# One client after the other: both connections open the same line, and two readers of one
# pseudo-terminal would share its bytes between them.
status=0
read_with() {
    local name=$1 url=$2
    if ! timeout $((READ_SECONDS + 8)) "$PYTHON" "$HERE/net_client.py" "$url" "$READ_SECONDS" \
            "$WORK/$name.bytes" "$WORK/$name.times" 2> "$WORK/$name.err"; then
        echo "FAIL: $name client ($url):"
        cat "$WORK/$name.err"
        status=1
        return
    fi
}
read_with raw "socket://127.0.0.1:$RAW_PORT"
read_with rfc2217 "rfc2217://127.0.0.1:$RFC_PORT?ign_set_control"

# The record is complete once the tool has ended.
for _ in $(seq $((20 * (RUN_SECONDS + 5)))); do
    kill -0 "$TOOL_PID" 2>/dev/null || break
    sleep 0.05
done
kill -TERM "$TOOL_PID" 2>/dev/null || true
wait "$TOOL_PID" 2>/dev/null || true
TOOL_PID=

for name in raw rfc2217; do
    [ -f "$WORK/$name.bytes" ] || continue
    "$PYTHON" "$HERE/check_net.py" "$name" "$WORK/record.log" "$WORK/$name.bytes" \
        "$WORK/$name.times" || status=1
done
if grep -q 'the receiver on' "$WORK/tool.err"; then
    echo "FAIL: the tool saw a receiver set otherwise than 9600,N,8,1:"
    grep 'the receiver on' "$WORK/tool.err"
    status=1
fi
grep 'Summary' "$WORK/tool.err" || true
if [ $status = 0 ]; then
    echo "PASS: raw TCP and RFC 2217 clients read whole data strings at the line's pace"
else
    echo "--- tool's standard error"; cat "$WORK/tool.err"
    echo "--- ser2net"; cat "$WORK/ser2net.out"
fi
exit $status
