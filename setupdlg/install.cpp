// Install: check, complete and create the three directories, then store them.
#include "setupdlg.h"
#include "dlgparts.h"
#include "resource.h"
#include "textbuf.h"
#include <string.h>

// A box's text without its surrounding spaces (at most 259 characters).
static void ReadBox(HWND dialog, int id, char *text)
{
    text[0] = '\0';
    GetDlgItemTextA(dialog, id, text, MAX_PATH);
    TrimSpaces(text);
}

// 1 when the directory exists now, created or already there.
static int MakeDirOrReport(HWND dialog, char *path, const char *message)
{
    int status = DoMakeDir(path);
    if (status == 0 || status == ERROR_ALREADY_EXISTS)
        return 1;
    ReportFailure(dialog, message, "setupdlg_OnCommand", "DoMakeDir", status);
    return 0;
}

// The data or configuration directory into `field`: a previous
// installation's untouched value as it stands, else checked and created.
static int SettleDependentDir(HWND dialog, int boxId, const char *app, int takeOver,
                              char *field, const char *invalid, const char *uncreatable)
{
    char path[MAX_PATH];
    ReadBox(dialog, boxId, path);
    if (!takeOver) {
        if (!ValidateAndCompletePath(path, app, 0)) {
            ShowSetupMessage(dialog, invalid);
            return 0;
        }
        if (!MakeDirOrReport(dialog, path, uncreatable))
            return 0;
    }
    return CopyText(field, MAX_PATH, path);
}

// The application directory, completed with its backslash; 0 after telling
// the user why not.
static int SettleAppDir(HWND dialog, char *app, SetupOptions *options)
{
    ReadBox(dialog, IDC_EDT_APATH, app);
    size_t typed = strlen(app);
    // A relative text would be completed against itself ("Acct" -> "AcctAcct\").
    if (!IsRootedPath(app) || !ValidateAndCompletePath(app, app, 1)) {
        ShowSetupMessage(dialog, "Given application path is not valid");
        return 0;
    }
    // Longer ones leave no room for what is derived from it.
    if (typed > MAX_APP_PATH_CHARS) {
        ShowSetupMessage(dialog, "Application path cannot be greater than 240 characters.");
        return 0;
    }
    if (!MakeDirOrReport(dialog, app, "Unable to create application directory"))
        return 0;
    return CopyText(options->app_path, sizeof options->app_path, app);
}

void InstallDirectories(HWND dialog, SetupOptions *options)
{
    char app[MAX_PATH];
    if (!SettleAppDir(dialog, app, options))
        return;
    if (!SettleDependentDir(dialog, IDC_EDT_DPATH, app,
                            options->upgrade == 1 && options->data_path_edited == 0,
                            options->data_path, "Given data path is not valid",
                            "Unable to create data directory"))
        return;
    if (!SettleDependentDir(dialog, IDC_EDT_CPATH, app,
                            options->config_found == 1 && options->config_path_edited == 0,
                            options->config_path, "Given configarutation path is not valid",
                            "Unable to create configarutation directory"))
        return;
    EndDialog(dialog, 1);
}
