// The setup dialog, its folder chooser, and the directory routines that
// need the file system. The pure text rules are in pathrules.h.
#pragma once
#include <windows.h>

#include "options.h"
#include "pathrules.h"

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Folder browser: 1 and the chosen path in `out` (260 bytes), or 0.
int GetChangedDir(HWND owner, char *out, const char *title);

// Creates every missing level; 0 or a system error code (183 = existed).
int DoMakeDir(char *path);

// dlgparts.cpp: a font of `points` in the window's screen resolution.
HFONT CreatePointFont(HWND window, int points, const char *face, BOOL italic, BOOL underline,
                      int weight, int width);
