// Put into setup.exe by the driver, as a hook on its thread: holds the
// program at two moments until the driver lets it go on, so that what the
// driver does there cannot race the program.
// - The copy dialog names the first file: the driver reads the dialog,
//   photographs it and clicks. A person sees the dialog at that moment for
//   as long as he likes; a driver that polls for it could miss a short run.
// - The finish dialog has been made but not yet shown: on Windows, windows
//   the run has others open (Program Manager's group) are there by then;
//   Wine's shell opens them later, and the driver waits for them here.
#include <windows.h>

namespace {

const int kCopyFileLabel = 1026;
const int kProgressBar = 1024; // tells the copy dialog from other dialogs
const int kFinishOk = 1040;

struct Point {
    const char *held;
    const char *release;
    bool passed;
};
Point g_copy = {"KorvuE2ECopyHeld", "KorvuE2ECopyRelease", false};
Point g_finish = {"KorvuE2EFinishHeld", "KorvuE2EFinishRelease", false};

// The thread's windows painted as far as they are invalid: a person looks
// at a screen the program has drawn, and a held thread draws nothing.
BOOL CALLBACK PaintWindow(HWND window, LPARAM)
{
    RedrawWindow(window, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

void Hold(Point *point)
{
    point->passed = true;
    // Paint messages only (input stays queued for the program): peeking
    // also takes in what the display has uncovered since.
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE | PM_QS_PAINT))
        DispatchMessageA(&message);
    EnumThreadWindows(GetCurrentThreadId(), PaintWindow, 0);
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, point->held);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, point->release);
    if (held && release && SetEvent(held))
        WaitForSingleObject(release, 120000); // the driver may have died
    if (held)
        CloseHandle(held);
    if (release)
        CloseHandle(release);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK HoldRun(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *call = (const CWPRETSTRUCT *)lParam;
    // After the window has handled the message: the label holds its text.
    if (code == HC_ACTION && !g_copy.passed && call->message == WM_SETTEXT && call->lParam &&
        *(const char *)call->lParam && GetDlgCtrlID(call->hwnd) == kCopyFileLabel &&
        GetDlgItem(GetParent(call->hwnd), kProgressBar))
        Hold(&g_copy);
    if (code == HC_ACTION && !g_finish.passed && call->message == WM_INITDIALOG &&
        GetDlgItem(call->hwnd, kFinishOk))
        Hold(&g_finish);
    return CallNextHookEx(NULL, code, wParam, lParam);
}
