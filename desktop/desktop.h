// Desktop integration: Korvu.ini, program group and shortcuts, and the
// removal of the previous version's shortcuts.
#pragma once
#include <windows.h>

#include <shlobj.h>

struct SetupOptions;

// inifile.cpp
int ChangeINIFile(HWND dialog);
// ChangeINIFile for `options` (the dialog's): `dialog` only owns the boxes,
// NULL in a silent run.
int WriteINIDirectories(HWND dialog, const SetupOptions *options);
// The template's lines, each with CR LF; 1 when all were written.
int WriteINITemplate(HANDLE file);

// shortcuts.cpp
void CreateShellGroupAndShortcut(HWND dialog, SetupOptions *options);
int AddGroup(HWND owner, const char *path);
int CreateLink(HWND owner, const char *target, const char *link, const char *workdir);

// oldversion.cpp
void RemoveOldShellGroupAndShortcut(HWND dialog, SetupOptions *options);

// shellfolder.cpp: the special folders of the running Windows family.
enum {
    SHELL_FOLDER_OK = 0,
    SHELL_FOLDER_NO_LOCATION = 1, // SHGetSpecialFolderLocation failed
    SHELL_FOLDER_NO_PATH = 2      // SHGetPathFromIDList gave no path
};
// CSIDL of the Programs or desktop folder for g_osvi's platform, or -1 on
// a platform that has neither.
int ProgramsFolderId(void);
int DesktopFolderId(void);
// Fills `path` (MAX_PATH bytes) with the folder's path; on failure returns
// the step that failed, with GetLastError() read right after it in *status.
int GetShellFolderPath(IMalloc *allocator, int csidl, char *path, int *status);
// The Programs folder or the desktop folder into `path` (MAX_PATH bytes);
// 0 after reporting the step that failed as `function`'s.
enum { PROGRAMS_FOLDER = 0, DESKTOP_FOLDER = 1 };
int FindShellFolder(HWND dialog, IMalloc *allocator, int which, char *path, const char *function);
// Status reported when a composed path would not fit its buffer.
#define STATUS_PATH_TOO_LONG ERROR_FILENAME_EXCED_RANGE

// uninstrec.cpp: the record of what this installation made, for the
// uninstaller, and the entry in the list of installed programs.
// Made anew after a successful extraction (a failed run leaves the
// previous installation's record as it was).
void OpenUninstallRecord(const SetupOptions *options);
// One line: kind (RECORD_*, which ends with '=') and value.
void NoteMade(const char *kind, const char *value);
void CloseUninstallRecord(HWND dialog);
void RegisterUninstall(HWND dialog, const SetupOptions *options);
