// The label and the untouched dependent boxes follow the application
// directory; the Change buttons put chosen directories in the boxes.
#include "dlgparts.h"
#include "resource.h"
#include "setupdlg.h"
#include "textbuf.h"
#include <string.h>

static const char kOnCommand[] = "setupdlg_OnCommand";

// A dependent box shows what follows the application directory: the data
// box a previous installation's Data value, else app\Data; the
// configuration box a previous Config value, else app itself.
static void FollowBox(HWND dialog, int id, const char *call, const char *error, const char *app,
                      int (*following)(const char *, char *), LONG *found, LONG *edited)
{
    HWND box = FindDialogControl(dialog, id, kOnCommand, error, call);
    if (!box)
        return;
    char value[MAX_PATH];
    *found = following(app, value);
    SetWindowTextA(box, value);
    *edited = 0;
}

void FollowAppDir(HWND dialog, SetupOptions *options, const char *app, int lookups,
                  const char *dataError, const char *configError)
{
    SetDlgItemTextA(dialog, IDC_LBL_STATE, StateLabelText(ConfigFileExists(app)));
    if (!lookups)
        return;
    if (options->data_path_edited == 0)
        FollowBox(dialog, IDC_EDT_DPATH, "GetDlgItem(hwnd, IDC_EDT_DPATH)", dataError, app,
                  FollowingDataPath, &options->upgrade, &options->data_path_edited);
    if (options->config_path_edited == 0)
        FollowBox(dialog, IDC_EDT_CPATH, "GetDlgItem(hwnd, IDC_EDT_CPATH)", configError, app,
                  FollowingConfigPath, &options->config_found, &options->config_path_edited);
}

void ChooseAppDir(HWND dialog, SetupOptions *options)
{
    char path[MAX_PATH];
    if (!GetChangedDir(dialog, path, "Please Select Application Directory and Press Ok"))
        return;
    TrimSpaces(path);
    if (strlen(path) > MAX_APP_PATH_CHARS) {
        char message[LIMIT_MESSAGE_SIZE];
        ShowSetupMessage(dialog, LimitMessage(MAX_APP_PATH_CHARS, message));
        return;
    }
    HWND box = FindDialogControl(dialog, IDC_EDT_APATH, kOnCommand, "Internal Error 61",
                                 "GetDlgItem(hwnd, IDC_EDT_APATH)");
    if (!box)
        return;
    SetWindowTextA(box, path);
    FollowAppDir(dialog, options, path, 1, "Internal Error 62", "Internal Error 63");
}

void ChooseDependentDir(HWND dialog, int boxId, const char *title, const char *error,
                        const char *call, LONG *edited)
{
    char path[MAX_PATH];
    if (!GetChangedDir(dialog, path, title))
        return;
    TrimSpaces(path);
    HWND box = FindDialogControl(dialog, boxId, kOnCommand, error, call);
    if (!box)
        return;
    SetWindowTextA(box, path);
    *edited = 1;
}
