// Placeholder until the setup dialog lands: Install takes the defaults.
#include "setupdlg.h"
#include "setup.h"
#include "resource.h"
#include "textbuf.h"

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_BTN_INSTALL) {
        SetupOptions *options = (SetupOptions *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
        EnsureBackslash(options->app_path, sizeof options->app_path);
        CreateDirectoryA(options->app_path, NULL);
        EndDialog(dialog, 1);
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_BTN_EXIT)
        EndDialog(dialog, 2);
    return FALSE;
}
