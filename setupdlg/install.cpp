// Install: check, complete and create the three directories, then store them.
#include "container.h"
#include "dlgparts.h"
#include "log.h"
#include "resource.h"
#include "setupdlg.h"
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
static int SettleDependentDir(HWND dialog, int boxId, const char *app, int takeOver, char *field,
                              const char *invalid, const char *uncreatable)
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

// The longest name the payload holds, from the record headers of the
// resource (nothing is expanded). 0 when it cannot be read: the copy
// dialog reports that with its own message.
static size_t LongestPayloadName(HWND dialog)
{
    HINSTANCE module = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    DWORD size;
    int step;
    const void *data = LoadOwnContainer(module, IDR_CMPFILE, &size, &step);
    return data ? McfLongestName(data, size) : 0;
}

// The application directory, completed with its backslash; 0 after telling
// the user why not.
static int SettleAppDir(HWND dialog, char *app, SetupOptions *options)
{
    ReadBox(dialog, IDC_EDT_APATH, app);
    // Longer ones leave no room for what is derived from it, nor for the
    // payload's longest file name behind it. The typed length comes first:
    // 259 characters leave no room for the backslash that completing adds,
    // and the user is to hear that the path is too long, not that it is wrong.
    size_t limit = AppPathLimit(LongestPayloadName(dialog));
    char message[LIMIT_MESSAGE_SIZE];
    if (strlen(app) > MAX_APP_PATH_CHARS) {
        ShowSetupMessage(dialog, LimitMessage(limit, message));
        return 0;
    }
    // A relative text would be completed against itself ("Acct" -> "AcctAcct\").
    if (!IsRootedPath(app) || !ValidateAndCompletePath(app, app, 1)) {
        ShowSetupMessage(dialog, "Given application path is not valid");
        return 0;
    }
    size_t completed = strlen(app);
    size_t directory = completed > 0 && app[completed - 1] == '\\' ? completed - 1 : completed;
    if (directory > limit) {
        ShowSetupMessage(dialog, LimitMessage(limit, message));
        return 0;
    }
    if (!MakeDirOrReport(dialog, app, "Unable to create application directory"))
        return 0;
    return CopyText(options->app_path, sizeof options->app_path, app);
}

int InstallDirectories(HWND dialog, SetupOptions *options)
{
    char app[MAX_PATH];
    if (!SettleAppDir(dialog, app, options))
        return 0;
    if (!SettleDependentDir(
            dialog, IDC_EDT_DPATH, app, options->upgrade == 1 && options->data_path_edited == 0,
            options->data_path, "Given data path is not valid", "Unable to create data directory"))
        return 0;
    // "configarutation": the system's own spelling, kept as it is.
    if (!SettleDependentDir(dialog, IDC_EDT_CPATH, app,
                            options->config_found == 1 && options->config_path_edited == 0,
                            options->config_path, "Given configarutation path is not valid",
                            "Unable to create configarutation directory"))
        return 0;
    EndDialog(dialog, 1);
    return 1;
}
