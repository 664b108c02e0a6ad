#!/bin/sh
# Makes docs/window.png: the program's window on the example setup, on the virtual line,
# after Start and a click on "A1", photographed on a virtual X display (Xvfb).
#
#   docs/screenshot.sh PROGRAM [OUTPUT]
#
# Needs xvfb-run, xdotool and ImageMagick's import and convert (see PACKAGES in the Makefile).
set -eu

program=${1:?usage: docs/screenshot.sh PROGRAM [OUTPUT]}
output=${2:-docs/window.png}

if [ -z "${SCREENSHOT_DISPLAY_READY:-}" ]; then
    SCREENSHOT_DISPLAY_READY=1 exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$program" "$output"
fi

settings=$(dirname "$0")/../examples/setup.ini
log=$(mktemp)
"$program" --settings "$settings" --virtual-port 2>"$log" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -f "$log"' EXIT

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^DRYX PLC Test$' | head -n 1)
[ -n "$window" ] || { echo "no window appeared:" >&2; cat "$log" >&2; exit 1; }
sleep 1
# Window coordinates of "Start" and "A1" (their centres, from the layout table).
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --sync $((X + 38)) $((Y + 76)) click 1
xdotool mousemove --sync $((X + 353)) $((Y + 83)) click 1
# Off the controls, so that no button shows the pointer over it.
xdotool mousemove --sync $((X + 200)) $((Y + 318))
sleep 1

import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "$output: ${WIDTH} x ${HEIGHT} pixels"
