// On an upgrade: remove Korvu orb 6.3's program file, its group with its
// two shortcuts, and its desktop shortcut. Only the previous version's
// names are touched; a missing file or a non-empty folder is passed over.
#include "desktop.h"
#include "log.h"
#include "options.h"
#include "progman.h"
#include "runtime.h"
#include "shellcalls.h"
#include "textbuf.h"

static const char kFunction[] = "RemoveOldShellGroupAndShortcut";

// The shell (and a virus scanner) opens a shortcut for a moment to read
// it: a delete refused for sharing is tried again for up to a second.
static void DeleteLogged(const char *path)
{
    for (int tries = 0; tries < 10; tries++) {
        if (DeleteFileA(path)) {
            LogLine("Removed ", path, NULL);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        Sleep(100);
    }
}

// Deletes folder + name; a path that would not fit is simply skipped.
static void DeleteIn(const char *folder, const char *name)
{
    char path[MAX_PATH];
    if (JoinText(path, sizeof path, folder, name))
        DeleteLogged(path);
}

// Rows of the group: its program shortcut, the program file itself, its
// reference shortcut, then the folder if that left it empty. 0 when the
// Programs folder could not be found (reported).
static int RemoveOldGroup(HWND dialog, IMalloc *allocator, const char *oldProgram)
{
    char group[MAX_PATH];
    if (!FindShellFolder(dialog, allocator, PROGRAMS_FOLDER, group, kFunction))
        return 0;
    int groupFits =
        EnsureBackslash(group, sizeof group) && AppendText(group, sizeof group, "Korvu orb 6.3");
    if (groupFits)
        DeleteIn(group, "\\Korvu 6.3.lnk");
    DeleteLogged(oldProgram);
    if (groupFits) {
        DeleteIn(group, "\\KorvuReference.lnk");
        if (RemoveDirectoryA(group))
            LogLine("Removed ", group, NULL);
    }
    return 1;
}

static void RemoveOldDesktopShortcut(HWND dialog, IMalloc *allocator)
{
    char desktop[MAX_PATH];
    if (!FindShellFolder(dialog, allocator, DESKTOP_FOLDER, desktop, kFunction))
        return;
    DeleteIn(desktop, "\\Korvu 6.3.lnk");
}

// NT before 4.0: Program Manager deletes the group with its items. As with
// the folders, a removal that does not happen is not reported; a Program
// Manager that does not answer has just been reported by the creation.
static void RemoveOldProgmanGroup(const char *oldProgram)
{
    ProgmanConversation progman;
    if (ProgmanOpen(&progman) == 0)
        ProgmanDeleteGroup(&progman, "Korvu orb 6.3");
    ProgmanClose(&progman);
    DeleteFileA(oldProgram);
}

void RemoveOldShellGroupAndShortcut(HWND dialog, SetupOptions *options)
{
    char oldProgram[MAX_PATH];
    if (!JoinText(oldProgram, sizeof oldProgram, options->app_path, "Korvu63.exe") ||
        !FileExists(oldProgram))
        return;
    if (IsNtBefore40()) {
        RemoveOldProgmanGroup(oldProgram);
        return;
    }
    IMalloc *allocator = NULL;
    HRESULT result = ShellGetMalloc(&allocator);
    if (FAILED(result) || !allocator) {
        ReportFailure(dialog, "Error - Unable to allocate memory", kFunction,
                      "SHGetMalloc(&lpMalloc)", (int)GetLastError());
        return;
    }
    if (RemoveOldGroup(dialog, allocator, oldProgram))
        RemoveOldDesktopShortcut(dialog, allocator);
    allocator->Release();
}
