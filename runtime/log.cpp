#include "log.h"
// Our programs load no C library DLL (cmake/Win32Program.cmake): on
// Windows the log goes through Win32 itself; elsewhere (the host's tests)
// through stdio.
#ifdef _WIN32
#include <windows.h>

// As the text-mode stdio of Windows wrote it.
#define LOG_LINE_END "\r\n"

// NULL while closed: a zero-initialised handle costs nothing, where one
// word of initialised data would give setup.exe a 512-byte section of its own.
static HANDLE g_log;

static int IsOpen(void)
{
    return g_log != NULL;
}

static int OpenAppending(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    g_log = file == INVALID_HANDLE_VALUE ? NULL : file;
    return IsOpen();
}

// Each write goes to the end, as another run may append to the same log.
static void WriteBytes(const char *bytes, unsigned n)
{
    DWORD written;
    SetFilePointer(g_log, 0, NULL, FILE_END);
    WriteFile(g_log, bytes, n, &written, NULL);
}

static void CloseFile(void)
{
    CloseHandle(g_log);
    g_log = NULL;
}
#else
#include <stdio.h>

#define LOG_LINE_END "\n"

static FILE *g_log;

static int IsOpen(void)
{
    return g_log != NULL;
}

static int OpenAppending(const char *path)
{
    g_log = fopen(path, "a");
    return IsOpen();
}

static void WriteBytes(const char *bytes, unsigned n)
{
    fwrite(bytes, 1, n, g_log);
    fflush(g_log);
}

static void CloseFile(void)
{
    fclose(g_log);
    g_log = NULL;
}
#endif

int LogOpen(const char *path)
{
    return IsOpen() || OpenAppending(path);
}

void LogLine(const char *a, const char *b, const char *c)
{
    if (!IsOpen())
        return;
    // The line's text in pieces of a buffer's size, the last with the
    // line end.
    char buffer[256];
    unsigned n = 0;
    const char *parts[3] = {a, b, c};
    for (int i = 0; i < 3; i++)
        for (const char *p = parts[i]; p && *p; p++) {
            if (n == sizeof buffer) {
                WriteBytes(buffer, n);
                n = 0;
            }
            buffer[n++] = *p == '\n' ? ' ' : *p;
        }
    if (n + 2 > sizeof buffer) {
        WriteBytes(buffer, n);
        n = 0;
    }
    for (const char *p = LOG_LINE_END; *p; p++)
        buffer[n++] = *p;
    WriteBytes(buffer, n);
}

char *FormatUnsigned(char *out, unsigned int value)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    char *p = out;
    while (n > 0)
        *p++ = digits[--n];
    *p = '\0';
    return out;
}

void LogClose(void)
{
    if (IsOpen())
        CloseFile();
}

int LogExitStatus(int status)
{
    char digits[12];
    LogLine("Exit status ", FormatUnsigned(digits, (unsigned int)status), NULL);
    LogClose();
    return status;
}
