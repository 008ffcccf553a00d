// Entry point: the fixed sequence of windows of one installation.
#include "setup.h"
#include "resource.h"
#include "setupdlg.h"
#include "copydlg.h"
#include <commctrl.h>
#include <objbase.h>
#include <stdlib.h>

INT_PTR ShowSetupDialog(HINSTANCE instance, HWND owner, SetupOptions *options)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), owner, SetupDlgProc,
                           (LPARAM)options);
}

HWND ShowCopyDialog(HINSTANCE instance, HWND owner, SetupOptions *options)
{
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_COPY), owner, CopyDlgProc,
                                     (LPARAM)options);
    if (dialog)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

// Runs Install: copy dialog, installation run, finish dialog. Returns 0
// when the copy dialog could not be created (already reported).
static int RunInstallation(HINSTANCE instance, HWND background, SetupOptions *options,
                           HWND *copyDialog)
{
    *copyDialog = ShowCopyDialog(instance, background, options);
    if (!*copyDialog) {
        ReportFailure(background, "Internal Error 32", "ShowCopyDialog", "CreateDialogParam",
                      (int)GetLastError());
        return 0;
    }
    UpdateWindow(*copyDialog);
    SendMessageA(*copyDialog, WM_STARTCOPY, 0, 0);
    // After a failed run the background window is gone and so is the owner:
    // no finish dialog then.
    if (IsWindow(background)) {
        ShowFinishDialog(instance, background);
        DestroyWindow(background);
    }
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)commandLine;
    (void)showCommand;
    CoInitialize(NULL);
    g_hInstance = instance;

    g_osvi.dwOSVersionInfoSize = sizeof g_osvi;
    if (!GetVersionExA(&g_osvi) || g_osvi.dwPlatformId == VER_PLATFORM_WIN32s)
        return 0;
    lstrcpyA(g_szIniFile, "Korvu.ini");
    // The copy dialog's progress bar class must exist before it is created.
    InitCommonControls();

    if (!RegisterMainWindowClass(instance))
        return 0;
    HWND background = CreateMainWindow(instance);
    if (!background)
        return 0;
    ShowWindow(background, SW_SHOWMAXIMIZED);

    SetupOptions *options = (SetupOptions *)calloc(1, sizeof(SetupOptions));
    if (!options) {
        DestroyWindow(background);
        return 0;
    }
    FillDefaultOptions(background, options);

    HWND copyDialog = NULL;
    INT_PTR result = ShowSetupDialog(instance, background, options);
    if (result == 1) {
        if (!RunInstallation(instance, background, options, &copyDialog))
            return 0;
    } else if (result == 2) {
        DestroyWindow(background);
    } else {
        ReportFailure(background, "Internal Error 37", "ShowSetupDialog", "DialogBoxParam",
                      (int)GetLastError());
        return 0;
    }

    // Only drains what is still queued: the quit message is already posted.
    MSG message;
    message.wParam = 0;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (!copyDialog || !IsDialogMessageA(copyDialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    CoUninitialize();
    return (int)message.wParam;
}
