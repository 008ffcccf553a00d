// The copy dialog: a progress window whose WM_STARTCOPY handler performs
// the whole installation run before SendMessage returns.
#include "copydlg.h"
#include "desktop.h"
#include "options.h"
#include "resource.h"
#include "runtime.h"

BOOL copydlg_OnInitDialog(HWND dialog, HWND focus, LPARAM param)
{
    (void)focus;
    SetLastError(0);
    if (SetWindowLongPtrA(dialog, GWLP_USERDATA, param) == 0 && GetLastError() != 0) {
        ReportFailure(dialog, "Internal Error 1", "copydlg_OnInitDialog", "SetWindowLong",
                      (int)GetLastError());
        DestroyDialogAndParent(dialog);
    }
    // TRUE: the focus goes to the first tab stop, Cancel.
    return TRUE;
}

static void copydlg_OnCommand(HWND dialog)
{
    DestroyDialogAndParent(dialog);
}

// A Cancel that reached the dialog while a failure box was shown has ended
// the program: make nothing more after it. A silent run has no dialog and
// shows no box.
static int RunGoesOn(HWND dialog)
{
    return !dialog || IsWindow(dialog);
}

int RunInstallSteps(HWND dialog, HWND progress, SetupOptions *options)
{
    // A failed run leaves the previous installation's record as it was.
    if (!InstallPayload(dialog, progress, options))
        return 0;
    OpenUninstallRecord(options);
    NoteInstalledFiles();
    WriteINIDirectories(dialog, options);
    if (RunGoesOn(dialog)) {
        CreateShellGroupAndShortcut(dialog, options);
        if (options->upgrade == 1 && RunGoesOn(dialog))
            RemoveOldShellGroupAndShortcut(dialog, options);
    }
    CloseUninstallRecord(dialog);
    // NT before 4.0 has no list of installed programs.
    if (!IsNtBefore40() && RunGoesOn(dialog))
        RegisterUninstall(dialog, options);
    return 1;
}

void CopyFiles(HWND dialog)
{
    SetupOptions *options = (SetupOptions *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
    if (!options) {
        ReportFailure(dialog, "Internal Error 2", "CopyFiles", "GetWindowLong",
                      (int)GetLastError());
        DestroyDialogAndParent(dialog);
        return;
    }
    HWND progress = GetDlgItem(dialog, IDC_CDLG_PRG_CPFILE);
    if (!progress) {
        ReportFailure(dialog, "Internal Error 3", "CopyFiles",
                      "GetDlgItem(hwnd, IDC_CDLG_PRG_CPFILE)", (int)GetLastError());
        DestroyDialogAndParent(dialog);
        return;
    }
    if (RunInstallSteps(dialog, progress, options))
        DestroyWindow(dialog);
}

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_STARTCOPY)
        CopyFiles(dialog);
    if (message == WM_INITDIALOG)
        return copydlg_OnInitDialog(dialog, (HWND)wParam, lParam);
    // Any notification of Cancel, also one without a click.
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_CDLG_BTN_CANCEL)
        copydlg_OnCommand(dialog);
    return FALSE;
}
