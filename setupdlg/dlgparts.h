// Pieces of the setup dialog shared by its source files.
#pragma once
#include <windows.h>

#include "options.h"
#include "runtime.h"

BOOL setupdlg_OnInitDialog(HWND dialog, HWND focus, LPARAM param);
void setupdlg_OnCommand(HWND dialog, int id, HWND control, UINT code);
void setupdlg_OnDestroy(HWND dialog);

// dlgparts.cpp: the mark that an internal failure is ending the dialog
// (later commands then report nothing more).
void MarkEnding(HWND dialog);
int IsEnding(HWND dialog);
void ClearEnding(HWND dialog);

// An internal failure ends the dialog with 2: marked, reported, ended.
void EndWithFailure(HWND dialog, const char *message, const char *function, const char *call,
                    int status);
// A control of the dialog, or null after reporting `message` (the internal
// error of this call site) and ending the dialog with 2.
HWND FindDialogControl(HWND dialog, int id, const char *function, const char *message,
                       const char *call);

// A plain message about the user's input.
void ShowSetupMessage(HWND dialog, const char *text);
// "Application path cannot be greater than N characters." (N at most
// MAX_APP_PATH_CHARS) into out (LIMIT_MESSAGE_SIZE bytes).
#define LIMIT_MESSAGE_SIZE 64
const char *LimitMessage(size_t limit, char *out);

// The state label: an earlier installation found, or a new one.
const char *StateLabelText(int upgrade);

// follow.cpp: the dependent boxes and the label follow the application box.
void FollowAppDir(HWND dialog, SetupOptions *options, const char *app, int lookups,
                  const char *dataError, const char *configError);
void ChooseAppDir(HWND dialog, SetupOptions *options);
void ChooseDependentDir(HWND dialog, int boxId, const char *title, const char *error,
                        const char *call, LONG *edited);

// install.cpp
// 1 when the three directories are settled (and the dialog ended with 1).
int InstallDirectories(HWND dialog, SetupOptions *options);
// Install's checks on the texts of the application, data and configuration
// boxes (MAX_PATH bytes each, trimmed and completed in place): 1 when the
// three directories are settled into options, else 0 after telling why
// (owner: the dialog, NULL in a silent run). The texts may be options' own.
#define DIR_BOXES 3
int SettleDirectories(HWND owner, SetupOptions *options, char *const texts[DIR_BOXES]);
