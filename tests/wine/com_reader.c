/*
 * com_reader: a Windows console program that reads a COM port the way the monitoring application
 * does (9600,N,8,1) and stores every byte it receives in a file, unchanged.
 *
 * It is started in place of the monitoring application, with no arguments, so everything it
 * needs comes from the environment:
 *   DRYX_TEST_COM      the COM port number (1..255)
 *   DRYX_TEST_OUT      the file that receives the bytes (under Wine, Z:\ is the Unix root)
 *   DRYX_TEST_SECONDS  how long to read, in whole seconds (default 4)
 *
 * The output file is created before the port is opened: its appearance tells a watching script
 * that the program runs, its first byte that the line delivers.
 *
 * Exit status: 0 after reading for the given time, 2 for bad settings in the environment,
 * 3 when the output file cannot be written, 4 when the port cannot be opened or set up,
 * 5 when reading the port fails.
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void report_system_error(const char* what, DWORD code)
{
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text,
                   sizeof text, NULL);
    /* FormatMessage ends its text with CR LF; the message is one line. */
    size_t length = strlen(text);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        text[--length] = '\0';
    fprintf(stderr, "com_reader: %s: error %lu%s%s\n", what, (unsigned long)code,
            length > 0 ? ": " : "", text);
}

/* Errors of the port name it: Wine opens a COM port that maps to a missing path and fails only
 * at the first request to it, which alone would not tell what is missing. */
static void report_port_error(long port, const char* what, DWORD code)
{
    char text[96];
    snprintf(text, sizeof text, "COM%ld: %s", port, what);
    report_system_error(text, code);
}

/* A whole positive number from the environment, or 0 when it is missing (then *missing is set)
 * or not a number in [1, max]. */
static long positive_from_environment(const char* name, long max, int* missing)
{
    const char* text = getenv(name);
    *missing = text == NULL || *text == '\0';
    if (*missing)
        return 0;
    char* end = NULL;
    long value = strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > max)
        return 0;
    return value;
}

static int write_all(HANDLE file, const char* bytes, DWORD count)
{
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(file, bytes, count, &written, NULL) || written == 0)
            return 0;
        bytes += written;
        count -= written;
    }
    return 1;
}

int main(void)
{
    int missing = 0;
    const long port = positive_from_environment("DRYX_TEST_COM", 255, &missing);
    if (port == 0) {
        fprintf(stderr, "com_reader: DRYX_TEST_COM %s (a COM port number, 1 to 255)\n",
                missing ? "is not set" : "is not a valid port number");
        return 2;
    }
    const char* out_path = getenv("DRYX_TEST_OUT");
    if (out_path == NULL || *out_path == '\0') {
        fprintf(stderr, "com_reader: DRYX_TEST_OUT is not set (the file for the bytes read)\n");
        return 2;
    }
    long seconds = positive_from_environment("DRYX_TEST_SECONDS", 3600, &missing);
    if (missing) {
        seconds = 4;
    } else if (seconds == 0) {
        fprintf(stderr, "com_reader: DRYX_TEST_SECONDS is not a number of seconds (1 to 3600)\n");
        return 2;
    }

    HANDLE out = CreateFileA(out_path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) {
        report_system_error("cannot create the output file", GetLastError());
        return 3;
    }

    char name[32];
    snprintf(name, sizeof name, "\\\\.\\COM%ld", port);
    HANDLE com = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (com == INVALID_HANDLE_VALUE) {
        report_port_error(port, "cannot open it", GetLastError());
        CloseHandle(out);
        return 4;
    }

    DCB dcb;
    memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(com, &dcb)) {
        report_port_error(port, "GetCommState", GetLastError());
        CloseHandle(com);
        CloseHandle(out);
        return 4;
    }
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    /* The sender has no handshake lines; any flow control would stop the bytes. */
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(com, &dcb)) {
        report_port_error(port, "SetCommState 9600,N,8,1", GetLastError());
        CloseHandle(com);
        CloseHandle(out);
        return 4;
    }
    /* What the port reports back is what the driver really set, not what was asked for. */
    DCB set;
    memset(&set, 0, sizeof set);
    set.DCBlength = sizeof set;
    if (!GetCommState(com, &set)) {
        report_port_error(port, "GetCommState after SetCommState", GetLastError());
        CloseHandle(com);
        CloseHandle(out);
        return 4;
    }
    if (set.BaudRate != CBR_9600 || set.ByteSize != 8 || set.Parity != NOPARITY ||
        set.StopBits != ONESTOPBIT) {
        fprintf(stderr,
                "com_reader: COM%ld is at %lu baud, %u data bits, parity %u, stop bits %u "
                "instead of 9600,N,8,1\n",
                port, (unsigned long)set.BaudRate, set.ByteSize, set.Parity, set.StopBits);
        CloseHandle(com);
        CloseHandle(out);
        return 4;
    }

    /* ReadFile returns what has arrived as soon as anything has, and after 100 ms with nothing:
     * the loop sees the clock at least ten times a second whatever the line does. */
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 100;
    if (!SetCommTimeouts(com, &timeouts)) {
        report_port_error(port, "SetCommTimeouts", GetLastError());
        CloseHandle(com);
        CloseHandle(out);
        return 4;
    }
    /* Bytes that waited in the driver before this program came are not part of its reading. */
    PurgeComm(com, PURGE_RXCLEAR);

    const ULONGLONG end = GetTickCount64() + (ULONGLONG)seconds * 1000u;
    unsigned long long total = 0;
    int status = 0;
    while (GetTickCount64() < end) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(com, buffer, sizeof buffer, &got, NULL)) {
            report_port_error(port, "ReadFile", GetLastError());
            status = 5;
            break;
        }
        if (got > 0 && !write_all(out, buffer, got)) {
            report_system_error("cannot write the output file", GetLastError());
            status = 3;
            break;
        }
        total += got;
    }
    CloseHandle(com);
    if (!CloseHandle(out) && status == 0) {
        report_system_error("cannot close the output file", GetLastError());
        status = 3;
    }
    printf("com_reader: COM%ld at 9600,N,8,1: %llu bytes in %ld s\n", port, total, seconds);
    return status;
}
