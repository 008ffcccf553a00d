#include "setup.h"
#include "textbuf.h"

// Appends as much of src as fits, always leaving a terminator.
static void AppendClipped(char *dst, size_t size, const char *src)
{
    size_t n = lstrlenA(dst);
    while (*src && n + 1 < size)
        dst[n++] = *src++;
    dst[n] = '\0';
}

// Signed decimal without the C runtime's printf (keeps setup.exe small).
static void FormatInt(char *out, int value)
{
    char digits[12];
    unsigned int u = value < 0 ? 0u - (unsigned int)value : (unsigned int)value;
    int n = 0;
    do {
        digits[n++] = (char)('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (value < 0)
        *out++ = '-';
    while (n > 0)
        *out++ = digits[--n];
    *out = '\0';
}

// The function and call names are for whoever reads the source; the user
// sees only the message and the status.
int ReportFailure(HWND owner, const char *message, const char *function,
                  const char *call, int status)
{
    (void)function;
    (void)call;
    char number[16];
    char text[256];
    FormatInt(number, status);
    text[0] = '\0';
    // Keep room for the status line even if a message were ever too long.
    AppendClipped(text, sizeof text - 32, message);
    AppendClipped(text, sizeof text, "\n\n(Status:");
    AppendClipped(text, sizeof text, number);
    AppendClipped(text, sizeof text, ")");
    return MessageBoxA(owner, text, SETUP_TITLE, MB_OK);
}
