#include "log.h"
#include <stdio.h>

static FILE *g_log;

int LogOpen(const char *path)
{
    if (!g_log)
        g_log = fopen(path, "a");
    return g_log != NULL;
}

int LogIsOpen(void)
{
    return g_log != NULL;
}

static void LogPart(const char *text, int *wasBreak)
{
    for (; text && *text; text++) {
        int isBreak = *text == '\n' || *text == '\r';
        if (!isBreak)
            fputc(*text, g_log);
        else if (!*wasBreak)
            fputc(' ', g_log);
        *wasBreak = isBreak;
    }
}

void LogLine(const char *a, const char *b, const char *c)
{
    if (!g_log)
        return;
    int wasBreak = 0;
    LogPart(a, &wasBreak);
    LogPart(b, &wasBreak);
    LogPart(c, &wasBreak);
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

void LogNumber(const char *a, unsigned int number)
{
    char digits[12];
    LogLine(a, FormatUnsigned(digits, number), NULL);
}

void LogClose(void)
{
    if (g_log)
        fclose(g_log);
    g_log = NULL;
}
