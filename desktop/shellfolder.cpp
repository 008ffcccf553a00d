// Special folders of the Windows family that runs us: the current user's on
// the 9x family, all users' on the NT family.
#include "desktop.h"
#include "runtime.h"
#include "shellcalls.h"

// The folder's CSIDL on the 9x family and on the NT family.
static int FolderId(int nineX, int nt)
{
    if (g_osvi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return nineX;
    return g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT ? nt : -1;
}

int ProgramsFolderId(void)
{
    return FolderId(CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS);
}

int DesktopFolderId(void)
{
    return FolderId(CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY);
}

int GetShellFolderPath(IMalloc *allocator, int csidl, char *path, int *status)
{
    LPITEMIDLIST list = NULL;
    if (csidl < 0 || ShellGetSpecialFolderLocation(NULL, csidl, &list) != S_OK || !list) {
        *status = (int)GetLastError();
        return SHELL_FOLDER_NO_LOCATION;
    }
    BOOL found = ShellGetPathFromIDList(list, path);
    *status = (int)GetLastError();
    allocator->Free(list);
    return found ? SHELL_FOLDER_OK : SHELL_FOLDER_NO_PATH;
}

int FindShellFolder(HWND dialog, IMalloc *allocator, int which, char *path, const char *function)
{
    int status = 0;
    int csidl = which == DESKTOP_FOLDER ? DesktopFolderId() : ProgramsFolderId();
    int failed = GetShellFolderPath(allocator, csidl, path, &status);
    if (failed == SHELL_FOLDER_OK)
        return 1;
    // The system's own messages, kept as they are: the desktop's name the
    // shortcut and the group even where an old one is being removed.
    static const char *const kMessages[2][2] = {
        {"Error - Could not get Folder Location", "Error - Could not get Folder Details"},
        {"Error - Unable to create shortcut on the desktop ",
         "Error - Unable to create program group and item "}};
    int noPath = failed == SHELL_FOLDER_NO_PATH;
    ReportFailure(dialog, kMessages[which == DESKTOP_FOLDER][noPath], function,
                  noPath ? "SHGetPathFromIDList" : "SHGetSpecialFolderLocation", status);
    return 0;
}
