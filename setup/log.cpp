#include "log.h"
#include <stdio.h>

static FILE *g_log;

int LogOpen(const char *path)
{
    if (!g_log)
        g_log = fopen(path, "a");
    return g_log != NULL;
}

void LogLine(const char *a, const char *b, const char *c)
{
    if (!g_log)
        return;
    const char *parts[3] = {a, b, c};
    for (int i = 0; i < 3; i++)
        for (const char *p = parts[i]; p && *p; p++)
            fputc(*p == '\n' ? ' ' : *p, g_log);
    fputc('\n', g_log);
    fflush(g_log);
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
    if (g_log)
        fclose(g_log);
    g_log = NULL;
}
