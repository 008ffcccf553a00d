// Install: check, complete and create the three directories, then store them.
#include "container.h"
#include "dlgparts.h"
#include "log.h"
#include "resource.h"
#include "setupdlg.h"
#include "textbuf.h"
#include <string.h>

// 1 when the directory exists now, created or already there.
static int MakeDirOrReport(HWND dialog, char *path, const char *message)
{
    int status = DoMakeDir(path);
    if (status == 0 || status == ERROR_ALREADY_EXISTS)
        return 1;
    ReportFailure(dialog, message, "setupdlg_OnCommand", "DoMakeDir", status);
    return 0;
}

// The data or configuration directory from its box's text `path` into
// `field`: a previous installation's untouched value as it stands, else
// checked and created.
static int SettleDependentDir(HWND dialog, char *path, const char *app, int takeOver, char *field,
                              const char *invalid, const char *uncreatable)
{
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
// resource (nothing is expanded). 0 when it cannot be read: the
// installation reports that with its own message.
static size_t LongestPayloadName(void)
{
    DWORD size;
    int step;
    const void *data = LoadOwnContainer(g_hInstance, IDR_CMPFILE, &size, &step);
    return data ? McfLongestName(data, size) : 0;
}

// The application directory from its box's text `app`, completed with its
// backslash; 0 after telling the user why not.
static int SettleAppDir(HWND dialog, char *app, SetupOptions *options)
{
    // Longer ones leave no room for what is derived from it, nor for the
    // payload's longest file name behind it. The typed length comes first:
    // 259 characters leave no room for the backslash that completing adds,
    // and the user is to hear that the path is too long, not that it is wrong.
    size_t limit = AppPathLimit(LongestPayloadName());
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

int SettleDirectories(HWND owner, SetupOptions *options, char *const texts[DIR_BOXES])
{
    for (int i = 0; i < DIR_BOXES; i++)
        TrimSpaces(texts[i]);
    char *app = texts[0];
    if (!SettleAppDir(owner, app, options))
        return 0;
    if (!SettleDependentDir(
            owner, texts[1], app, options->upgrade == 1 && options->data_path_edited == 0,
            options->data_path, "Given data path is not valid", "Unable to create data directory"))
        return 0;
    // "configarutation": the system's own spelling, kept as it is.
    return SettleDependentDir(owner, texts[2], app,
                              options->config_found == 1 && options->config_path_edited == 0,
                              options->config_path, "Given configarutation path is not valid",
                              "Unable to create configarutation directory");
}

int InstallDirectories(HWND dialog, SetupOptions *options)
{
    static const int kBoxes[DIR_BOXES] = {IDC_EDT_APATH, IDC_EDT_DPATH, IDC_EDT_CPATH};
    char boxes[DIR_BOXES][MAX_PATH];
    char *const texts[DIR_BOXES] = {boxes[0], boxes[1], boxes[2]};
    // At most 259 characters each.
    for (int i = 0; i < DIR_BOXES; i++) {
        texts[i][0] = '\0';
        GetDlgItemTextA(dialog, kBoxes[i], texts[i], MAX_PATH);
    }
    if (!SettleDirectories(dialog, options, texts))
        return 0;
    EndDialog(dialog, 1);
    return 1;
}
