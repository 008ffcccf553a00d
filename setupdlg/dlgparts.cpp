// Pieces every part of the setup dialog uses: finding a control, the plain
// message box, the mark that an internal failure is ending the dialog, and
// the state label's text.
#include "dlgparts.h"
#include "log.h"
#include "pathrules.h"
#include "textbuf.h"

// Set once an internal failure ends the dialog: the focus changes that the
// report and the ending cause send more commands, which must not report
// the failure again.
static const char kEndingProp[] = "KorvuEnding";

void MarkEnding(HWND dialog)
{
    SetPropA(dialog, kEndingProp, (HANDLE)1);
}

int IsEnding(HWND dialog)
{
    return GetPropA(dialog, kEndingProp) != NULL;
}

void ClearEnding(HWND dialog)
{
    RemovePropA(dialog, kEndingProp);
}

void EndWithFailure(HWND dialog, const char *message, const char *function, const char *call,
                    int status)
{
    MarkEnding(dialog);
    ReportFailure(dialog, message, function, call, status);
    EndDialog(dialog, 2);
}

HWND FindDialogControl(HWND dialog, int id, const char *function, const char *message,
                       const char *call)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        EndWithFailure(dialog, message, function, call, (int)GetLastError());
    return control;
}

void ShowSetupMessage(HWND dialog, const char *text)
{
    ShowSetupBox(dialog, text, MB_OK);
}

const char *LimitMessage(size_t limit, char *out)
{
    char number[12];
    FormatUnsigned(number, (unsigned int)(limit > MAX_APP_PATH_CHARS ? MAX_APP_PATH_CHARS : limit));
    out[0] = '\0';
    AppendText(out, LIMIT_MESSAGE_SIZE, "Application path cannot be greater than ");
    AppendText(out, LIMIT_MESSAGE_SIZE, number);
    AppendText(out, LIMIT_MESSAGE_SIZE, " characters.");
    return out;
}

// "Upgradation" is the system's own word for this state, kept as it is.
const char *StateLabelText(int upgrade)
{
    return upgrade ? "Upgradation" : "New Installation";
}

// A font of `points` for the window's screen.
HFONT CreatePointFont(HWND window, int points, const char *face, BOOL italic, BOOL underline,
                      int weight, int width)
{
    HDC dc = GetDC(window);
    int height = MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    return CreateFontA(-height, width, 0, 30, weight, italic, underline, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}
