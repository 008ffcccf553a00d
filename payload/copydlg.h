// The copy dialog and the installation run it performs.
#pragma once
#include <windows.h>

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void CopyFiles(HWND dialog);

// extract.cpp
int UncompressMcfFile(HWND dialog, HWND progress);
void DestroyDialogAndParent(HWND dialog);
