#include "log.h"
#include "runtime.h"
#include "textbuf.h"

// Appends as much of src as fits, always leaving a terminator.
static void AppendClipped(char *dst, size_t size, const char *src)
{
    size_t n = lstrlenA(dst);
    while (*src && n + 1 < size)
        dst[n++] = *src++;
    dst[n] = '\0';
}

// The function and call names are for whoever reads the source; the user
// sees only the message and the status.
int ReportFailure(HWND owner, const char *message, const char *function, const char *call,
                  int status)
{
    (void)function;
    (void)call;
    // Signed decimal without the C runtime's printf (keeps setup.exe small).
    char number[16];
    char text[256];
    number[0] = '-';
    FormatUnsigned(number + 1, status < 0 ? 0u - (unsigned int)status : (unsigned int)status);
    text[0] = '\0';
    // Keep room for the status line even if a message were ever too long.
    AppendClipped(text, sizeof text - 32, message);
    AppendClipped(text, sizeof text, "\n\n(Status:");
    AppendClipped(text, sizeof text, status < 0 ? number : number + 1);
    AppendClipped(text, sizeof text, ")");
    return ShowSetupBox(owner, text, MB_OK);
}
