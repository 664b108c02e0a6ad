"""Checks what the Linux end of COM1 received against the program's --log record.

    check_line.py LOG BYTES_FILE TIMES_FILE

The bytes received must be exactly the record's, in its order (every line of it, faults and
all), and no burst may have come faster than the line's 960 bytes a second: after a burst's
first read, the bytes read by time t may be at most 960 * t plus SLACK_BYTES. Prints the
figures; exit status 0 passed, 1 failed.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'net'))
from check_net import bursts_of  # noqa: E402  (the net test's reads are cut the same way)

LINE_BYTES_PER_SECOND = 960
# Reads less than this apart are one burst (data strings are 350 ms and more apart on the wire
# but at a switch of data sets, where two follow each other at once).
BURST_GAP = 0.1
# What may come ahead of the line: the program hands each line to the port 20 ms before the
# wire is free (a UART paces it; a pseudo-terminal passes it at once), one line of up to 7
# bytes, and Wine's and a busy machine's hold-ups: 50 ms of the line.
SLACK_BYTES = 48


def recorded_bytes(log_path):
    sent = bytearray()
    with open(log_path, encoding='utf-8', errors='replace') as log:
        for line in log:
            fields = line.split('|', 1)[0].split()
            if len(fields) < 4 or not fields[0].isdigit() or fields[3] == 'left-out':
                continue
            # The hex bytes, after a fault's marker (fault:KIND) if there is one.
            sent += bytes(int(h, 16) for h in fields[3:] if len(h) == 2)
    return bytes(sent)


def main():
    log_path, bytes_path, times_path = sys.argv[1:4]
    expected = recorded_bytes(log_path)
    received = open(bytes_path, 'rb').read()
    reads = [(float(t), int(n)) for t, n in (l.split() for l in open(times_path) if l.strip())]
    failures = []
    if not expected:
        failures.append('the record holds no bytes')
    if received != expected:
        same = next((i for i, (a, b) in enumerate(zip(received, expected)) if a != b),
                    min(len(received), len(expected)))
        failures.append(f'received {len(received)} bytes, the record has {len(expected)}; '
                        f'they differ from byte {same} on')

    bursts = bursts_of(reads, BURST_GAP)
    worst = 0
    for burst in bursts:
        t0, counted = burst[0][0], 0
        for t, n in burst[1:]:
            counted += n
            ahead = counted - LINE_BYTES_PER_SECOND * (t - t0)
            worst = max(worst, ahead)
            if ahead > SLACK_BYTES:
                failures.append(f'{counted} bytes in {1000 * (t - t0):.1f} ms at {t0:.3f} s: '
                                f'faster than the line')
                break
    print(f'COM1: {len(received)} bytes received in {len(reads)} reads, {len(bursts)} bursts; '
          f'the record has {len(expected)}; at most {worst:.0f} bytes ahead of 960 bytes a '
          f'second within a burst (allowed {SLACK_BYTES})')
    for failure in failures:
        print(f'COM1: FAIL: {failure}')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
