// What setup.exe and the uninstaller both stand on: the caption, the
// running Windows, the silent switch and the one way to show a box, files
// through Win32, and the containers the program carries.
#pragma once
#include <windows.h>

// Caption of every box and dialog, and the background window's title.
#define SETUP_TITLE "Korvu ark 7.2 Setup"

extern HINSTANCE g_hInstance;
extern OSVERSIONINFOA g_osvi;
// 1 for an unattended run (/S): no window is made, no box shown.
extern int g_silent;
// Boxes of the run so far, shown or (silent) only logged.
extern int g_boxes;

// 1 on the NT family before version 4.0 (no shell folders, no browser).
int IsNtBefore40(void);

// setupbox.cpp: every box goes through here: counted, into the log when
// there is one, and on the screen unless the run is silent (then the
// result is IDCANCEL).
int ShowSetupBox(HWND owner, const char *text, UINT type);

// report.cpp: a failing call's box: the message and the status, also in
// the log. The function and the call that failed name the place for
// whoever reads the source; they are neither shown nor logged (their text
// would not fit in setup.exe), and the message's internal error number
// names the place for support.
int ReportFailure(HWND owner, const char *message, const char *function, const char *call,
                  int status);

// winfile.cpp: text files through Win32 (no C library).
// Opens `path` for writing, created or emptied, or with `append` created or
// kept and written at its end; INVALID_HANDLE_VALUE on failure.
HANDLE OpenOutput(const char *path, int append);
// Writes the text without its terminator; 1 when all of it was written.
int WriteText(HANDLE file, const char *text);
// 1 when a file or directory of that name is there.
int FileExists(const char *path);

// ownres.cpp: one of the containers setup.exe carries (IDR_CMPFILE,
// IDR_CMPCHECK, IDR_UNINSTALL): its bytes and size, or NULL with the step
// that failed in *step and its reason in GetLastError().
enum { OWN_CONTAINER_MISSING = 1, OWN_CONTAINER_UNLOADED = 2, OWN_CONTAINER_UNLOCKED = 3 };
const void *LoadOwnContainer(HINSTANCE module, int id, DWORD *size, int *step);
