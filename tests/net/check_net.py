"""Checks what a network client read of the line against the tool's --log record.

    check_net.py NAME LOG BYTES_FILE TIMES_FILE

Every whole data string the client read must be byte for byte a run of consecutive data strings
of the record (the bytes before the first whole one the tail of a recorded one), and no burst of
bytes may have come faster than the line's 960 bytes a second. Prints the figures; exit status 0
passed, 1 failed.
"""
import sys

LINE_BYTES_PER_SECOND = 960
# A burst: reads less than this apart. The data strings of examples/setup.ini are at least
# 350 ms apart on the wire, back-to-back ones (a switch of data sets) 0 ms.
BURST_GAP = 0.1
# Bytes a burst may be ahead of the line: what ser2net and the network hold back and hand over
# at once (a read's worth at the start of a burst is not counted), up to 100 ms of the line for
# a busy machine; a data string handed over whole is still far beyond it.
SLACK_BYTES = 96


def recorded_data_strings(log_path):
    strings, current = [], bytearray()
    with open(log_path, encoding='utf-8', errors='replace') as log:
        for line in log:
            if line.startswith('#'):
                continue
            if line.startswith('='):
                if current:
                    strings.append(bytes(current))
                current = bytearray()
                continue
            fields = line.split('|', 1)[0].split()
            if (len(fields) < 4 or not fields[0].isdigit() or fields[3] == 'left-out'
                    or fields[3].startswith('lost:')):
                continue
            # The hex bytes, after a fault's marker (fault:KIND) if there is one.
            current += bytes(int(h, 16) for h in fields[3:] if len(h) == 2)
    return strings


def bursts_of(reads, gap=BURST_GAP):
    """The reads ((seconds, count) each) in bursts: reads less than `gap` apart."""
    bursts, current = [], []
    for t, n in reads:
        if current and t - current[-1][0] > gap:
            bursts.append(current)
            current = []
        current.append((t, n))
    if current:
        bursts.append(current)
    return bursts


def main():
    name, log_path, bytes_path, times_path = sys.argv[1:5]
    recorded = recorded_data_strings(log_path)
    received = open(bytes_path, 'rb').read()
    reads = [(float(t), int(n)) for t, n in (l.split() for l in open(times_path) if l.strip())]
    failures = []
    if not recorded:
        failures.append('the record holds no data string')
    terminator = recorded[0][-7:] if recorded else b'63536\r\n'

    # Whole data strings: from the end of the first terminator on.
    first_end = received.find(terminator)
    head = received[:first_end + len(terminator)] if first_end >= 0 else received
    whole = []
    rest = received[len(head):]
    while True:
        end = rest.find(terminator)
        if end < 0:
            break
        whole.append(rest[:end + len(terminator)])
        rest = rest[end + len(terminator):]
    if head in recorded:
        whole.insert(0, head)
    elif head and not any(s.endswith(head) for s in recorded):
        failures.append(f'the first {len(head)} bytes are not the end of a recorded data string')
    if rest and not any(s.startswith(rest) for s in recorded):
        failures.append(f'the last {len(rest)} bytes are not the start of a recorded data string')
    run_found = any(recorded[i:i + len(whole)] == whole for i in range(len(recorded)))
    if not whole:
        failures.append('no whole data string received')
    elif not run_found:
        bad = [i for i, s in enumerate(whole) if s not in recorded]
        failures.append(f'the data strings received are not a run of recorded ones '
                        f'({len(bad)} not in the record at all)')

    # Pace: bytes after the first read of a burst over the burst's time.
    bursts = bursts_of(reads)
    fastest = 0.0
    longest = None
    for burst in bursts:
        t0 = burst[0][0]
        counted = 0
        for t, n in burst[1:]:
            counted += n
            allowed = LINE_BYTES_PER_SECOND * (t - t0) + SLACK_BYTES
            if counted > allowed:
                failures.append(f'{counted} bytes in {1000 * (t - t0):.1f} ms at {t0:.3f} s: '
                                f'faster than the line')
                break
        duration = burst[-1][0] - t0
        if duration >= 0.1:
            pace = counted / duration
            fastest = max(fastest, pace)
            if longest is None or sum(n for _, n in burst) > sum(n for _, n in longest):
                longest = burst
    if longest is None:
        failures.append('no burst long enough to measure the pace')
        busy = 'none'
    else:
        b = sum(n for _, n in longest[1:])
        d = longest[-1][0] - longest[0][0]
        busy = f'{sum(n for _, n in longest)} bytes in {1000 * d:.0f} ms, {b / d:.0f} bytes/s'
        # A line at its pace, not one starved: well above half the line rate.
        if b / d < LINE_BYTES_PER_SECOND / 2:
            failures.append(f'the longest burst came at {b / d:.0f} bytes/s, far below the line')

    print(f'{name}: {len(received)} bytes, {len(whole)} whole data strings, {len(bursts)} bursts; '
          f'longest burst {busy}; fastest burst {fastest:.0f} bytes/s '
          f'(line {LINE_BYTES_PER_SECOND})')
    for failure in failures:
        print(f'{name}: FAIL: {failure}')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
