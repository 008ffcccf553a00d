// Special folders of the Windows family that runs us: the current user's on
// the 9x family, all users' on the NT family.
#include "desktop.h"
#include "setup.h"
#include "shellcalls.h"

int ProgramsFolderId(void)
{
    if (g_osvi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return CSIDL_PROGRAMS;
    if (g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return CSIDL_COMMON_PROGRAMS;
    return -1;
}

int DesktopFolderId(void)
{
    if (g_osvi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return CSIDL_DESKTOP;
    if (g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return CSIDL_COMMON_DESKTOPDIRECTORY;
    return -1;
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
