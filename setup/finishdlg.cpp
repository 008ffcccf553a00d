// The finish dialog: the picture, the bold message, OK.
#include "resource.h"
#include "setup.h"
#include "setupdlg.h"

static BOOL finishdlg_OnInitDialog(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_FDLG_LBL_MESSAGE, "Korvu Installation Successful\n");
    HFONT font = CreatePointFont(dialog, 12, "Arial", FALSE, FALSE, 700, 8);
    HWND message = GetDlgItem(dialog, IDC_FDLG_LBL_MESSAGE);
    if (message && font) {
        SendMessageA(message, WM_SETFONT, (WPARAM)font, TRUE);
        // Kept with the dialog so that WM_DESTROY can delete it.
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)font);
    } else if (font) {
        DeleteObject(font);
    }
    return TRUE;
}

static void finishdlg_OnCommand(HWND dialog, int id)
{
    // Only OK ends the dialog; Escape (IDCANCEL) is ignored.
    if (id == IDC_FDLG_BTN_OK)
        EndDialog(dialog, 1);
}

static void finishdlg_OnDestroy(HWND dialog)
{
    HFONT font = (HFONT)GetWindowLongPtrA(dialog, DWLP_USER);
    if (font)
        DeleteObject(font);
}

INT_PTR CALLBACK FinishDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return finishdlg_OnInitDialog(dialog);
    case WM_COMMAND: finishdlg_OnCommand(dialog, LOWORD(wParam)); return FALSE;
    case WM_DESTROY: finishdlg_OnDestroy(dialog); return FALSE;
    }
    return FALSE;
}

INT_PTR ShowFinishDialog(HINSTANCE instance, HWND owner)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FINISH), owner, FinishDlgProc, 0);
}
