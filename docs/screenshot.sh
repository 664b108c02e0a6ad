#!/bin/sh
# Makes docs/window.png: the program's window on the example setup, on the virtual line,
# after Start and a click on "A1"; and docs/line-window.png: the line window a few seconds into
# a run whose fourth data string a fault garbled, that data string chosen. Both photographed on a
# virtual X display (Xvfb).
#
#   docs/screenshot.sh PROGRAM [OUTPUT [LINE_WINDOW_OUTPUT]]
#
# Needs xvfb-run, xdotool and ImageMagick's import and convert (see PACKAGES in the Makefile).
set -eu

program=${1:?usage: docs/screenshot.sh PROGRAM [OUTPUT [LINE_WINDOW_OUTPUT]]}
output=${2:-docs/window.png}
line_output=${3:-docs/line-window.png}

if [ -z "${SCREENSHOT_DISPLAY_READY:-}" ]; then
    SCREENSHOT_DISPLAY_READY=1 exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$program" \
        "$output" "$line_output"
fi

settings=$(dirname "$0")/../examples/setup.ini
work=$(mktemp -d)
pid=
trap 'if [ -n "$pid" ]; then kill $pid 2>/dev/null || true; fi; rm -rf "$work"' EXIT
# The line window's place is the tool's own setting: a fresh one each time, for the same picture.
export XDG_CONFIG_HOME="$work/config"

# Waits for the window titled $1; sets X, Y, WIDTH and HEIGHT to its place.
wait_for() {
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
    [ -n "$window" ] || { echo "no window \"$1\" appeared:" >&2; cat "$work/log" >&2; exit 1; }
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

"$program" --settings "$settings" --virtual-port 2>"$work/log" &
pid=$!
wait_for '^DRYX PLC Test$'
# Window coordinates of "Start" and "A1" (their centres, from the layout table).
xdotool mousemove --sync $((X + 38)) $((Y + 76)) click 1
xdotool mousemove --sync $((X + 353)) $((Y + 83)) click 1
# Off the controls, so that no button shows the pointer over it.
xdotool mousemove --sync $((X + 200)) $((Y + 318))
sleep 1
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "$output: ${WIDTH} x ${HEIGHT} pixels"

# Data strings at 1000, 1500, 2000, 2500 ms: the fault armed at 2200 garbles line 5 of the fourth.
printf 'at 0 start\nat 2200 fault garble 5\n' >"$work/rig.txt"
"$program" --settings "$settings" --virtual-port --monitor --script "$work/rig.txt" \
    >/dev/null 2>"$work/log" &
pid=$!
wait_for '^Line .* DRYX PLC Test$'
xdotool mousemove --sync $((X + WIDTH - 5)) $((Y + HEIGHT - 5))
sleep 4
# The list of what went out (Alt+W), its fourth row.
xdotool key alt+w Home Down Down Down
sleep 1.5
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$line_output"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "$line_output: ${WIDTH} x ${HEIGHT} pixels"
