// Every box the setup program shows goes through here: counted and logged,
// and not shown at all in a silent run. A file of its own, so that a test
// program can put its own ReportFailure in front of the real boxes.
#include "log.h"
#include "runtime.h"

int ShowSetupBox(HWND owner, const char *text, UINT type)
{
    g_boxes++;
    LogLine(text, NULL, NULL);
    if (g_silent)
        return IDCANCEL;
    return MessageBoxA(owner, text, SETUP_TITLE, type);
}
