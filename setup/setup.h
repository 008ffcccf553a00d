// setup.exe's own windows: the background window, the finish dialog, and
// the sequence that shows the dialogs between them.
#pragma once
#include <windows.h>

#include "options.h"
#include "runtime.h"

// mainwin.cpp
BOOL RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void LoadBitmapAndPalette(UINT id, HBITMAP *bitmap, HPALETTE *palette);

// finishdlg.cpp
INT_PTR ShowFinishDialog(HINSTANCE instance, HWND owner);
INT_PTR CALLBACK FinishDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// main.cpp
INT_PTR ShowSetupDialog(HINSTANCE instance, HWND owner, SetupOptions *options);
HWND ShowCopyDialog(HINSTANCE instance, HWND owner, SetupOptions *options);
