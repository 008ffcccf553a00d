// The setup dialog: opening, command dispatch, the Enter key, leaving boxes.
#include "setupdlg.h"
#include "dlgparts.h"
#include "resource.h"

// The state label's own font lives as long as the dialog.
static const char kLabelFontProp[] = "KorvuLabelFont";
static const char kOnInit[] = "setupdlg_OnInitDialog";
static const char kOnCommand[] = "setupdlg_OnCommand";

// Fills a directory box; filling it is not the user's edit, so the flag
// is cleared after the text's EN_CHANGE has set it.
static int InitBox(HWND dialog, int id, const char *text, const char *error, const char *call,
                   LONG *edited)
{
    HWND box = FindDialogControl(dialog, id, kOnInit, error, call);
    if (!box)
        return 0;
    SetWindowTextA(box, text);
    // 259: every read of a box takes at most 259 characters and its
    // terminator, so a 260th character would be cut off unseen.
    SendMessageA(box, EM_LIMITTEXT, MAX_PATH - 1, 0);
    if (edited)
        *edited = 0;
    return 1;
}

static void InitStateLabel(HWND dialog, HWND label, const SetupOptions *options)
{
    HFONT font = CreatePointFont(dialog, 10, "Tahoma", FALSE, TRUE, 400, 10);
    if (font) {
        if (SetPropA(dialog, kLabelFontProp, font))
            SendMessageA(label, WM_SETFONT, (WPARAM)font, TRUE);
        else
            DeleteObject(font);
    }
    SetWindowTextA(label, StateLabelText(options->upgrade == 1));
}

// NT before 4.0 has no folder browser for the first two buttons.
static void DisableChangeButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (button)
        EnableWindow(button, FALSE);
}

BOOL setupdlg_OnInitDialog(HWND dialog, HWND focus, LPARAM param)
{
    (void)focus;
    SetupOptions *options = (SetupOptions *)param;
    SetLastError(0);
    if (SetWindowLongPtrA(dialog, GWLP_USERDATA, param) == 0 && GetLastError() != 0) {
        EndWithFailure(dialog, "Internal Error 50", kOnInit, "SetWindowLong", (int)GetLastError());
        return TRUE;
    }
    if (!InitBox(dialog, IDC_EDT_APATH, options->app_path, "Internal Error 51",
                 "GetDlgItem(hwnd, IDC_EDT_APATH)", NULL) ||
        !InitBox(dialog, IDC_EDT_DPATH, options->data_path, "Internal Error 52",
                 "GetDlgItem(hwnd, IDC_EDT_DPATH)", &options->data_path_edited) ||
        !InitBox(dialog, IDC_EDT_CPATH, options->config_path, "Internal Error 53",
                 "GetDlgItem(hwnd, IDC_EDT_CPATH)", &options->config_path_edited))
        return TRUE;
    HWND label = FindDialogControl(dialog, IDC_LBL_STATE, kOnInit, "Internal Error 54",
                                   "GetDlgItem(hwnd, IDC_LBL_STATE)");
    if (!label)
        return TRUE;
    InitStateLabel(dialog, label, options);
    // A directory given on the command line counts as typed: the application
    // box no longer changes it, and Install checks it.
    if (g_presetDirs & PRESET_DATA)
        options->data_path_edited = 1;
    if (g_presetDirs & PRESET_CONFIG)
        options->config_path_edited = 1;
    if (IsNtBefore40()) {
        DisableChangeButton(dialog, IDC_BTN_CHANGE_APATH);
        DisableChangeButton(dialog, IDC_BTN_CHANGE_DPATH);
    }
    return TRUE;
}

void setupdlg_OnDestroy(HWND dialog)
{
    ClearEnding(dialog);
    HFONT font = (HFONT)RemovePropA(dialog, kLabelFontProp);
    if (font)
        DeleteObject(font);
}

// Enter: from a directory box to the next tab stop, from Install to Install.
static void MoveOnEnter(HWND dialog)
{
    HWND focus = GetFocus();
    if (!focus)
        return;
    HWND app = FindDialogControl(dialog, IDC_EDT_APATH, kOnCommand, "Internal Error 55",
                                 "GetDlgItem(hwnd, IDC_EDT_APATH)");
    if (!app)
        return;
    HWND data = FindDialogControl(dialog, IDC_EDT_DPATH, kOnCommand, "Internal Error 56",
                                  "GetDlgItem(hwnd, IDC_EDT_DPATH)");
    if (!data)
        return;
    HWND config = FindDialogControl(dialog, IDC_EDT_CPATH, kOnCommand, "Internal Error 57",
                                    "GetDlgItem(hwnd, IDC_EDT_CPATH)");
    if (!config)
        return;
    HWND install = FindDialogControl(dialog, IDC_BTN_INSTALL, kOnCommand, "Internal Error 58",
                                     "GetDlgItem(hwnd, IDC_BTN_INSTALL)");
    if (!install)
        return;
    if (focus == app || focus == data || focus == config)
        PostMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
    else if (focus == install)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BTN_INSTALL, BN_CLICKED), (LPARAM)install);
}

// Trims a box the user leaves. Writing the text back raises EN_CHANGE, which
// is not the user's edit: the flag keeps the value it had.
static void TrimBox(HWND box, char *text, LONG *edited)
{
    text[0] = '\0';
    GetWindowTextA(box, text, MAX_PATH);
    TrimSpaces(text);
    LONG before = edited ? *edited : 0;
    SetWindowTextA(box, text);
    if (edited)
        *edited = before;
}

static void OnDependentBox(HWND box, UINT code, LONG *edited)
{
    char text[MAX_PATH];
    if (code == EN_KILLFOCUS)
        TrimBox(box, text, edited);
    else if (code == EN_CHANGE)
        *edited = 1;
}

static void LeaveAppBox(HWND dialog, HWND box, SetupOptions *options)
{
    char app[MAX_PATH];
    TrimBox(box, app, NULL);
    FollowAppDir(dialog, options, app, !IsBlank(app), "Internal Error 59", "Internal Error 60");
}

void setupdlg_OnCommand(HWND dialog, int id, HWND control, UINT code)
{
    SetupOptions *options = (SetupOptions *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
    if (IsEnding(dialog))
        return;
    if (!options) {
        EndWithFailure(dialog, "Internal Error 54", kOnCommand, "GetWindowLong",
                       (int)GetLastError());
        return;
    }
    switch (id) {
    case IDC_EDT_APATH:
        if (code == EN_KILLFOCUS)
            LeaveAppBox(dialog, control, options);
        break;
    case IDC_EDT_DPATH: OnDependentBox(control, code, &options->data_path_edited); break;
    case IDC_EDT_CPATH: OnDependentBox(control, code, &options->config_path_edited); break;
    case IDC_BTN_CHANGE_APATH: ChooseAppDir(dialog, options); break;
    case IDC_BTN_CHANGE_DPATH:
        ChooseDependentDir(dialog, IDC_EDT_DPATH, "Please Select Data Directory and Press Ok",
                           "Internal Error 64", "GetDlgItem(hwnd, IDC_EDT_DPATH)",
                           &options->data_path_edited);
        break;
    case IDC_BTN_CHANGE_CPATH:
        // "Configaration": the system's own spelling, kept as it is.
        ChooseDependentDir(
            dialog, IDC_EDT_CPATH, "Please Select Configaration Directory and Press Ok",
            "Internal Error 65", "GetDlgItem(hwnd, IDC_EDT_CPATH)", &options->config_path_edited);
        break;
    case IDC_BTN_INSTALL: InstallDirectories(dialog, options); break;
    case IDC_BTN_EXIT: EndDialog(dialog, 2); break;
    case IDOK: MoveOnEnter(dialog); break;
    default: // IDCANCEL included: Escape does not leave setup
        break;
    }
}

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return setupdlg_OnInitDialog(dialog, (HWND)wParam, lParam);
    case WM_COMMAND:
        setupdlg_OnCommand(dialog, LOWORD(wParam), (HWND)lParam, HIWORD(wParam));
        return FALSE;
    case WM_DESTROY: setupdlg_OnDestroy(dialog); return FALSE;
    }
    return FALSE;
}
