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
    if (g_silent)
        return RunSetupDialogSilently(instance, owner, options);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), owner, SetupDlgProc,
                           (LPARAM)options);
}

HWND ShowCopyDialog(HINSTANCE instance, HWND owner, SetupOptions *options)
{
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_COPY), owner, CopyDlgProc,
                                     (LPARAM)options);
    if (dialog && !g_silent)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

// Runs Install: copy dialog, installation run, finish dialog. Returns the
// run's exit status.
static int RunInstallation(HINSTANCE instance, HWND background, SetupOptions *options,
                           HWND *copyDialog)
{
    *copyDialog = ShowCopyDialog(instance, background, options);
    if (!*copyDialog) {
        ReportFailure(background, "Internal Error 32", "ShowCopyDialog", "CreateDialogParam",
                      (int)GetLastError());
        return EXIT_FAILED;
    }
    int boxes = g_boxes;
    UpdateWindow(*copyDialog);
    SendMessageA(*copyDialog, WM_STARTCOPY, 0, 0);
    // After a failed run the background window is gone and so is the owner:
    // no finish dialog then.
    if (!IsWindow(background))
        return EXIT_FAILED;
    if (!g_silent)
        ShowFinishDialog(instance, background);
    DestroyWindow(background);
    // Korvu.ini and the shortcuts report their errors and the run goes on.
    return g_boxes != boxes ? EXIT_INSTALLED_WITH_ERRORS : EXIT_INSTALLED;
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

// The windows of the run, from the setup dialog to the finish dialog; the
// run's exit status.
static int RunSetup(HINSTANCE instance, CommandLine *line, SetupOptions *options)
{
    lstrcpyA(g_szIniFile, KORVU_INI);
    InitProgressBarClass();

    if (!RegisterMainWindowClass(instance))
        return EXIT_FAILED;
    HWND background = CreateMainWindow(instance);
    if (!background)
        return EXIT_FAILED;
    if (!g_silent)
        ShowWindow(background, SW_SHOWMAXIMIZED);

    FillDefaultOptions(options);
    ApplyPresets(options, line);

    int status;
    HWND copyDialog = NULL;
    INT_PTR result = ShowSetupDialog(instance, background, options);
    if (result == 1) {
        LogDirectories(options);
        status = RunInstallation(instance, background, options, &copyDialog);
        if (!copyDialog)
            return status;
    } else if (result == 2) {
        DestroyWindow(background);
        status = EXIT_DIRECTORY_REFUSED;
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
    return status;
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
    SetupOptions *options =
        (SetupOptions *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SetupOptions));
    if (!options)
        return EndRun(EXIT_FAILED);
    CoInitialize(NULL);
    status = RunSetup(instance, &line, options);
    CoUninitialize();
    HeapFree(GetProcessHeap(), 0, options);
    return EndRun(status);
}
