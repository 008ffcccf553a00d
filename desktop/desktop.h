// Desktop integration: Korvu.ini, program group and shortcuts, and the
// removal of the previous version's shortcuts.
#pragma once
#include <windows.h>
#include <stdio.h>

struct SetupOptions;

int ChangeINIFile(HWND dialog);
void WriteINITemplate(FILE *stream);
void CreateShellGroupAndShortcut(HWND dialog, SetupOptions *options);
int AddGroup(HWND owner, const char *path);
int CreateLink(HWND owner, const char *target, const char *link, const char *workdir);
void RemoveOldShellGroupAndShortcut(HWND dialog, SetupOptions *options);
