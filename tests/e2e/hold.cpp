// Put into setup.exe by the driver, as a hook on its thread: holds the
// program the moment its copy dialog names the first file, until the driver
// has read the dialog, photographed it and clicked. A person sees the
// dialog at that moment for as long as he likes; a driver that polls for it
// could miss a short run altogether.
#include <windows.h>

namespace {

const int kCopyFileLabel = 1026;
const int kProgressBar = 1024; // tells the copy dialog from other dialogs
bool g_held;

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    HoldAtFirstFileName(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *call = (const CWPRETSTRUCT *)lParam;
    // After the label took the text, so that the driver reads it there.
    if (code == HC_ACTION && !g_held && call->message == WM_SETTEXT && call->lParam &&
        *(const char *)call->lParam && GetDlgCtrlID(call->hwnd) == kCopyFileLabel &&
        GetDlgItem(GetParent(call->hwnd), kProgressBar)) {
        g_held = true;
        HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, "KorvuE2ECopyHeld");
        HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "KorvuE2ECopyRelease");
        if (held && release && SetEvent(held))
            WaitForSingleObject(release, 120000); // the driver may have died
        if (held)
            CloseHandle(held);
        if (release)
            CloseHandle(release);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
