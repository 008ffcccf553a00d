// Placeholder until the installation run lands.
#include "copydlg.h"
#include "setup.h"

void CopyFiles(HWND dialog) { DestroyWindow(dialog); }

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam; (void)lParam;
    if (message == WM_STARTCOPY)
        CopyFiles(dialog);
    return message == WM_INITDIALOG;
}
