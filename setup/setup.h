// The setup shell: globals, the options record, and the routines the
// other subsystems share (failure box, fonts, the sequence's dialogs).
#pragma once
#include <windows.h>

#define WM_STARTCOPY (WM_USER + 1000)

// Caption of every box and dialog, and the background window's title.
#define SETUP_TITLE "Korvu ark 7.2 Setup"

// The section of Korvu.ini that holds the directories setup owns.
#define KORVU_SECTION "Korvu"

// The user's choices, carried from the setup dialog to the installation.
// After Install, app_path always ends with a backslash.
struct SetupOptions {
    char app_path[MAX_PATH];
    char data_path[MAX_PATH];
    char config_path[MAX_PATH];
    LONG data_path_edited;
    LONG config_path_edited;
    LONG upgrade;
    LONG config_found;
};

extern HINSTANCE g_hInstance;
extern OSVERSIONINFOA g_osvi;
extern char g_szIniFile[MAX_PATH];
// 1 for an unattended run (/S): no window is made, no box shown.
extern int g_silent;
// Boxes of the run so far, shown or (silent) only logged.
extern int g_boxes;
// The dependent directories given on the command line (PRESET_ bits).
extern int g_presetDirs;
#define PRESET_DATA 1
#define PRESET_CONFIG 2
// The directories the setup dialog created in this run, outermost first,
// for a failed installation to remove again.
#define MAX_MADE_DIRS 8
extern char g_madeDirs[MAX_MADE_DIRS][MAX_PATH];
extern int g_madeDirCount;

// 1 on the NT family before version 4.0 (no shell folders, no browser).
int IsNtBefore40(void);

// report.cpp
// Every box of setup.exe goes through here: into the log when there is one,
// and on the screen unless the run is silent (then the result is IDCANCEL).
int ShowSetupBox(HWND owner, const char *text, UINT type);
int ReportFailure(HWND owner, const char *message, const char *function, const char *call,
                  int status);

// options.cpp
int LookupPreviousSetting(HWND owner, const char *directory, const char *section, const char *key,
                          char *value);
void FillDefaultOptions(HWND owner, SetupOptions *options);
// The data directory that follows the application directory `app` into
// value (260 bytes): a previous installation's Data value (1), else
// app\Data (0; empty when too long). The same for the configuration
// directory: a previous Config value (1), else app itself (0).
int FollowingDataPath(HWND owner, const char *app, char *value);
int FollowingConfigPath(HWND owner, const char *app, char *value);
// The application directory given on the command line (/D=), with the data
// and configuration directories following it as the dialog's boxes do.
void FollowAppDefaults(HWND owner, SetupOptions *options, const char *app);

// mainwin.cpp
BOOL RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HFONT CreatePointFont(HWND window, int points, const char *face, BOOL italic, BOOL underline,
                      int weight, int width);
void LoadBitmapAndPalette(UINT id, HBITMAP *bitmap, HPALETTE *palette);

// finishdlg.cpp
INT_PTR ShowFinishDialog(HINSTANCE instance, HWND owner);
INT_PTR CALLBACK FinishDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// main.cpp
INT_PTR ShowSetupDialog(HINSTANCE instance, HWND owner, SetupOptions *options);
HWND ShowCopyDialog(HINSTANCE instance, HWND owner, SetupOptions *options);

// winfile.cpp: text files through Win32 (no C library).
// Opens `path` for writing, created or emptied, or with `append` created or
// kept and written at its end; INVALID_HANDLE_VALUE on failure.
HANDLE OpenOutput(const char *path, int append);
// Writes the text without its terminator; 1 when all of it was written.
int WriteText(HANDLE file, const char *text);

// ownres.cpp: one of the containers setup.exe carries (IDR_CMPFILE,
// IDR_CMPCHECK, IDR_UNINSTALL): its bytes and size, or NULL with the step
// that failed in *step and its reason in GetLastError().
enum { OWN_CONTAINER_MISSING = 1, OWN_CONTAINER_UNLOADED = 2, OWN_CONTAINER_UNLOCKED = 3 };
const void *LoadOwnContainer(HINSTANCE module, int id, DWORD *size, int *step);
