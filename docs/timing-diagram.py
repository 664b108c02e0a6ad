#!/usr/bin/env python3
"""Draws the timing diagram of the README from the --log records of real runs.

    docs/timing-diagram.py ONE_PAGE.log TWO_PAGES.log > docs/timing.svg

Each record gives every tick's due time (ms since Start), its timer, its data set and its bytes.
The wire is drawn as the line carries them: 9600,N,8,1 is ten bit times a character, 960 bytes a
second, and the bytes of a tick go out after those of the tick before, one after the other.
Nothing else is assumed: the picture shows what the runs wrote.
"""

import sys
from dataclasses import dataclass
from html import escape

BYTES_PER_MS = 960 / 1000  # 9600 bit/s, 10 bits a character

COLOURS = {"first": "#2f6db5", "second": "#d9822b"}
LEFT_OUT = "#b0b0b0"
INK = "#222222"
GRID = "#dddddd"
FONT = "font-family='DejaVu Sans, Liberation Sans, sans-serif'"


@dataclass
class Tick:
    due: int  # ms since Start
    timer: str
    data_set: str
    bytes: int
    lines: int
    sent: bool
    wire_start: float = 0.0
    wire_end: float = 0.0


@dataclass
class Record:
    ticks: list
    start: str  # the "# Start: ..." comment: the fields the run used


def read_record(path):
    """The ticks of a --log record (lines "DUE TimerN SET [MARK] HEX.. |TEXT|"; a data string
    left out or lost is not drawn on the wire)."""
    ticks, start = [], ""
    with open(path, encoding="utf-8") as record:
        for line in record:
            if line.startswith("# Start: ") and not start:
                start = line[len("# Start: "):].strip()
            if not line[:1].isdigit():
                continue
            words = line.split(" ")
            due, timer, data_set = int(words[0]), words[1], words[2]
            sent = words[3] != "left-out" and not words[3].startswith("lost:")
            marked = ":" in words[3] or not sent  # left-out, lost:REASON, fault:KIND
            hex_part = line[: line.index(" |")].split(" ")[4 if marked else 3:]
            if ticks and ticks[-1].due == due and ticks[-1].timer == timer:
                ticks[-1].bytes += len(hex_part)
                ticks[-1].lines += 1
            else:
                ticks.append(Tick(due, timer, data_set, len(hex_part), 1, sent))
    free = 0.0
    for tick in ticks:
        if tick.sent:
            tick.wire_start = max(float(tick.due), free)
            tick.wire_end = tick.wire_start + tick.bytes / BYTES_PER_MS
            free = tick.wire_end
    return Record(ticks, start)


class Svg:
    def __init__(self, width, height):
        self.width, self.height, self.parts = width, height, []

    def add(self, element):
        self.parts.append(element)

    def text(self, x, y, text, size=11, anchor="start", weight="normal", colour=INK):
        self.add(f"<text x='{x:.1f}' y='{y:.1f}' font-size='{size}' text-anchor='{anchor}' "
                 f"font-weight='{weight}' fill='{colour}' {FONT}>{escape(text)}</text>")

    def line(self, x1, y1, x2, y2, colour=INK, width=1.0, dash=""):
        dashes = f" stroke-dasharray='{dash}'" if dash else ""
        self.add(f"<line x1='{x1:.2f}' y1='{y1:.2f}' x2='{x2:.2f}' y2='{y2:.2f}' "
                 f"stroke='{colour}' stroke-width='{width}'{dashes}/>")

    def rect(self, x, y, w, h, fill, title=""):
        tip = f"<title>{escape(title)}</title>" if title else ""
        # A hairline of white between bars that touch: a tick's bytes one after the other's.
        self.add(f"<rect x='{x:.2f}' y='{y:.2f}' width='{max(w, 0.8):.2f}' height='{h:.2f}' "
                 f"fill='{fill}' stroke='white' stroke-width='0.6'>{tip}</rect>")

    def __str__(self):
        return (f"<svg xmlns='http://www.w3.org/2000/svg' width='{self.width}' "
                f"height='{self.height}' viewBox='0 0 {self.width} {self.height}'>\n"
                f"<rect width='100%' height='100%' fill='white'/>\n" + "\n".join(self.parts) +
                "\n</svg>\n")


def panel(svg, top, title, record, t0, t1, tick_step, names=True):
    """One time axis from t0 to t1 ms: the ticks as they fall due, each timer on its row, and the
    line below them with each tick's bytes on the wire."""
    left, right = 110, svg.width - 20
    scale = (right - left) / (t1 - t0)

    def x(ms):
        return left + (ms - t0) * scale

    ticks = [t for t in record.ticks if t.due <= t1 and (t.wire_end or t.due) >= t0]
    timers = sorted({t.timer for t in record.ticks}, key=lambda name: int(name[5:]))
    svg.text(left, top, title, size=13, weight="bold")
    row_top = top + 14
    rows = {timer: row_top + 22 * i for i, timer in enumerate(timers)}
    wire_top = row_top + 22 * len(timers) + 6
    bottom = wire_top + 26

    for ms in range(t0 - t0 % tick_step + (tick_step if t0 % tick_step else 0), t1 + 1,
                    tick_step):
        svg.line(x(ms), row_top, x(ms), bottom, GRID)
        svg.text(x(ms), bottom + 14, f"{ms}", size=10, anchor="middle")
    for timer, y in rows.items():
        svg.text(left - 8, y + 13, timer, anchor="end")
        svg.line(left, y + 18, right, y + 18, GRID)
    svg.text(left - 8, wire_top + 16, "on the wire", anchor="end")
    svg.line(left, bottom, right, bottom, INK)

    for n, tick in enumerate(ticks):
        y = rows[tick.timer]
        colour = COLOURS[tick.data_set] if tick.sent else LEFT_OUT
        if t0 <= tick.due <= t1:
            svg.line(x(tick.due), y + 3, x(tick.due), y + 18, colour, 2.0)
            if names:
                # A label goes to the left of its mark where the next tick's would run into it.
                following = [t for t in ticks[n + 1:] if t.timer == tick.timer]
                crowded = following and x(following[0].due) - x(tick.due) < 90
                svg.text(x(tick.due) + (-4 if crowded else 4), y + 13,
                         f"{tick.due}: {tick.lines} lines, {tick.bytes} bytes", size=9,
                         anchor="end" if crowded else "start", colour=colour)
        if tick.sent:
            start, end = max(tick.wire_start, t0), min(tick.wire_end, t1)
            if end > start:
                svg.rect(x(start), wire_top + 4, (end - start) * scale, 18, colour,
                         f"{tick.timer} due {tick.due} ms: {tick.bytes} bytes, on the wire "
                         f"{tick.wire_start:.1f} to {tick.wire_end:.1f} ms")
            if names and tick.wire_start > tick.due and t0 <= tick.due <= t1:
                svg.line(x(tick.due), y + 18, x(tick.wire_start), wire_top + 4, colour, 1.0,
                         "3,2")
    return bottom + 42


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: timing-diagram.py ONE_PAGE.log TWO_PAGES.log > timing.svg")
    one, two = read_record(sys.argv[1]), read_record(sys.argv[2])
    svg = Svg(960, 760)
    svg.text(20, 24, "Data strings on the line, from two runs' --log records "
             "(ms since Start)", size=15, weight="bold")
    svg.text(20, 42, f"one page: {one.start}", size=10)
    svg.text(20, 56, f"two pages: {two.start}", size=10)
    y = 84
    y = panel(svg, y, "One page: a data string every 500 ms; the data sets switch every 5 s",
              one, 0, 12000, 1000, names=False)
    y = panel(svg, y, "Two pages: page 1, then page 2 a page gap later, every 510 ms",
              two, 0, 12000, 1000, names=False)
    y = panel(svg, y, "One page, at the switch: the second data set's first string waits "
              "behind the last of the first", one, 4950, 5350, 50)
    y = panel(svg, y, "Two pages, one data string: page 2 falls due 10 ms after page 1 and "
              "follows it on the wire", two, 1360, 1800, 40)
    svg.height = y + 16
    legend = svg.height - 22
    for i, (name, colour) in enumerate(COLOURS.items()):
        svg.rect(20 + 150 * i, legend - 10, 14, 12, colour)
        svg.text(40 + 150 * i, legend, f"{name} data set", size=11)
    svg.text(320, legend, "tick mark: the tick's due time; bar: its bytes at 960 bytes/s; "
             "dashes: waiting for the wire", size=11)
    sys.stdout.write(str(svg))


if __name__ == "__main__":
    main()
