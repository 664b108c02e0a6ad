"""The Linux end of a Windows COM port under Wine: a pseudo-terminal whose other side Wine opens.

    line_reader.py PATH_FILE BYTES_FILE TIMES_FILE STOP_FILE

Writes the pseudo-terminal's path to PATH_FILE (for HKLM\\Software\\Wine\\Ports), then reads
until STOP_FILE exists and nothing more has come for half a second: every byte to BYTES_FILE,
one line "SECONDS COUNT" per read to TIMES_FILE (seconds on the monotonic clock).
"""
import os
import select
import sys
import time
import tty


def main():
    path_file, bytes_file, times_file, stop_file = sys.argv[1:5]
    master, slave = os.openpty()
    # Raw, so that the line's bytes come through unchanged whatever Wine sets; the reader keeps
    # the side Wine opens open itself, so that the line outlives the program's open and close.
    tty.setraw(slave)
    with open(path_file + '.tmp', 'w') as f:
        f.write(os.ttyname(slave) + '\n')
    os.rename(path_file + '.tmp', path_file)
    last = time.monotonic()
    with open(bytes_file, 'wb') as data, open(times_file, 'w') as times:
        while True:
            ready, _, _ = select.select([master], [], [], 0.05)
            now = time.monotonic()
            if ready:
                chunk = os.read(master, 4096)
                data.write(chunk)
                times.write(f'{now:.6f} {len(chunk)}\n')
                last = now
            elif os.path.exists(stop_file) and now - last > 0.5:
                break
    return 0


if __name__ == '__main__':
    sys.exit(main())
