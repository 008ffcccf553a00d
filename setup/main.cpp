// Entry point: the fixed sequence of windows of one installation.
#include "copydlg.h"
#include "resource.h"
#include "setup.h"
#include "setupdlg.h"
#include "shellcalls.h"
#include "unattended.h"
#include <objbase.h>

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

// Runs Install: copy dialog, installation run, finish dialog. The copy
// dialog (destroyed by then), or NULL when it could not be created.
static HWND RunInstallation(HINSTANCE instance, HWND background, SetupOptions *options)
{
    HWND copyDialog = ShowCopyDialog(instance, background, options);
    if (!copyDialog) {
        ReportFailure(background, "Internal Error 32", "ShowCopyDialog", "CreateDialogParam",
                      (int)GetLastError());
        return NULL;
    }
    UpdateWindow(copyDialog);
    SendMessageA(copyDialog, WM_STARTCOPY, 0, 0);
    // After a failed run the background window is gone and so is the owner:
    // no finish dialog then.
    if (IsWindow(background)) {
        ShowFinishDialog(instance, background);
        DestroyWindow(background);
    }
    return copyDialog;
}

// The copy dialog's progress bar class must exist before it is created.
// comctl32.dll is no DLL that Windows takes from its own directory first:
// loaded by its full path, never imported.
static void InitProgressBarClass(void)
{
    typedef void(WINAPI * InitFn)(void);
    HMODULE controls = LoadSystemLibrary("comctl32.dll");
    InitFn init = controls ? (InitFn)(void *)GetProcAddress(controls, "InitCommonControls") : NULL;
    if (init)
        init();
}

// The windows of the run, from the setup dialog to the finish dialog; a
// silent run has none. The run's exit status (an interactive run ends with
// 0 whatever happened: EndRun).
static int RunSetup(HINSTANCE instance, CommandLine *line, SetupOptions *options)
{
    lstrcpyA(g_szIniFile, KORVU_INI);
    HWND background = NULL;
    if (!g_silent) {
        InitProgressBarClass();
        if (!RegisterMainWindowClass(instance))
            return EXIT_FAILED;
        background = CreateMainWindow(instance);
        if (!background)
            return EXIT_FAILED;
        ShowWindow(background, SW_SHOWMAXIMIZED);
    }

    FillDefaultOptions(options);
    ApplyPresets(options, line);
    if (g_silent)
        return RunSilently(options);

    HWND copyDialog = NULL;
    INT_PTR result = ShowSetupDialog(instance, background, options);
    if (result == 1) {
        LogDirectories(options);
        copyDialog = RunInstallation(instance, background, options);
        if (!copyDialog)
            return EXIT_FAILED;
    } else if (result == 2) {
        DestroyWindow(background);
    } else {
        ReportFailure(background, "Internal Error 37", "ShowSetupDialog", "DialogBoxParam",
                      (int)GetLastError());
        return EXIT_FAILED;
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
    return EXIT_INSTALLED;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)showCommand;
    g_hInstance = instance;

    g_osvi.dwOSVersionInfoSize = sizeof g_osvi;
    if (!GetVersionExA(&g_osvi) || g_osvi.dwPlatformId == VER_PLATFORM_WIN32s)
        return 0;
    CommandLine line;
    int status = EXIT_INSTALLED;
    if (!TakeCommandLine(commandLine, &line, &status))
        return EndRun(status);
    // Before anything is shown or created.
    if (!PayloadIsWhole(instance)) {
        ShowSetupBox(NULL,
                     "The setup program is damaged and cannot install Korvu ark 7.2. "
                     "Obtain a new copy of the setup program.",
                     MB_OK);
        return EndRun(EXIT_DAMAGED);
    }
    // Zeroed, for the whole run: uninitialised data costs the image nothing
    // and cannot fail to be allocated.
    static SetupOptions options;
    CoInitialize(NULL);
    status = RunSetup(instance, &line, &options);
    CoUninitialize();
    return EndRun(status);
}
