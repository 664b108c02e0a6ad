"""Reads a serial line through pyserial for a while and stores what came, with arrival times.

    net_client.py URL SECONDS BYTES_FILE TIMES_FILE

BYTES_FILE gets every byte received; TIMES_FILE one line per read that returned bytes:
seconds since the port was open (monotonic clock) and the number of bytes. The port is opened at
9600,N,8,1, as the monitoring application opens its COM port. Exit status 0, or 3 when the port
cannot be opened (the reason on standard error).
"""
import sys
import time

import serial


def main():
    url, seconds, bytes_file, times_file = sys.argv[1], float(sys.argv[2]), sys.argv[3], sys.argv[4]
    started = time.monotonic()
    try:
        port = serial.serial_for_url(url, baudrate=9600, bytesize=8, parity='N', stopbits=1,
                                     timeout=0.2)
    except (serial.SerialException, OSError, ValueError) as error:
        print(f"{url}: cannot open after {time.monotonic() - started:.1f} s: {error}",
              file=sys.stderr)
        return 3
    opened = time.monotonic()
    end = opened + seconds
    with open(bytes_file, 'wb') as data, open(times_file, 'w') as times:
        while time.monotonic() < end:
            # What has come, as soon as it has come: the times are the bytes' arrival.
            chunk = port.read(max(1, port.in_waiting))
            if chunk:
                times.write(f"{time.monotonic() - opened:.6f} {len(chunk)}\n")
                data.write(chunk)
    port.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
