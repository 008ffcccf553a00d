// A running program's file cannot be deleted, on Windows 95 or NT. So the
// uninstaller copies itself into a new folder of its own in the temporary
// folder (nothing there that someone else put is used) and starts the copy
// with a handle of its own process; the copy waits for the uninstaller to
// end, deletes it and then the application directory if that is empty,
// and has itself and its folder deleted when Windows next starts (MoveFileEx on NT, the
// [rename] section of WININIT.INI on Windows 95, which has no MoveFileEx).
#include "cmdline.h"
#include "log.h"
#include "runtime.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"
#include <string.h>

int DeleteAtRestart(const char *path)
{
    if (g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    // WININIT.INI runs before Windows itself, under DOS: short names only.
    // Its [rename] section may hold several NUL= lines (one per file to
    // delete), so the section is read and written whole, never by key.
    // Looked up, not imported: NT 3.51's kernel32 must load us too.
    typedef DWORD(WINAPI * ShortPathFn)(const char *, char *, DWORD);
    ShortPathFn shortPathOf =
        (ShortPathFn)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetShortPathNameA");
    char shortPath[MAX_PATH];
    DWORD n = shortPathOf ? shortPathOf(path, shortPath, sizeof shortPath) : 0;
    if (n == 0 || n >= sizeof shortPath)
        return 0;
    const size_t size = 32768;
    char *section = (char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!section)
        return 0;
    DWORD used = GetPrivateProfileSectionA("rename", section, (DWORD)size, "wininit.ini");
    char line[MAX_PATH + 8];
    int ok = JoinText(line, sizeof line, "NUL=", shortPath) && used + strlen(line) + 2 < size;
    if (ok) {
        memcpy(section + used, line, strlen(line) + 1);
        section[used + strlen(line) + 1] = '\0';
        ok = WritePrivateProfileSectionA("rename", section, "wininit.ini") != FALSE;
    }
    HeapFree(GetProcessHeap(), 0, section);
    return ok;
}

int RunCleanup(const CommandLine *line)
{
    if (!(line->given & SWITCH_PROGRAM))
        return 1;
    const char *program = line->program;
    const char *dir = line->dir;
    ULONG_PTR handle = 0;
    for (const char *d = line->cleanup; *d >= '0' && *d <= '9'; d++)
        handle = handle * 10 + (ULONG_PTR)(*d - '0');
    HANDLE uninstaller = (HANDLE)handle;
    WaitForSingleObject(uninstaller, INFINITE);
    CloseHandle(uninstaller);
    // The system may hold the image a moment after the process has ended.
    // A file or folder already gone (someone removed the directory) ends
    // the wait at once.
    for (int tries = 0; tries < 100; tries++) {
        if (DeleteFileA(program) || GetLastError() == ERROR_FILE_NOT_FOUND ||
            GetLastError() == ERROR_PATH_NOT_FOUND)
            break;
        Sleep(100);
    }
    if (dir[0])
        RemoveDirectoryA(dir);
    // The copy and the folder it alone is in; Windows 95 deletes no
    // folders when it starts: there the empty folder stays.
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, self, sizeof self);
    if (n > 0 && n < sizeof self && DeleteAtRestart(self) &&
        g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        char *slash = strrchr(self, '\\');
        if (slash) {
            *slash = '\0';
            DeleteAtRestart(self);
        }
    }
    return 0;
}

// A folder of our own in the temporary folder, made new (CreateDirectory
// fails for a name that is there, whoever made it), and the copy's path in
// it; 0 when none could be made.
static int MakeCopyFolder(const char *temp, char *folder, char *copy)
{
    char number[12];
    DWORD first = GetTickCount();
    for (DWORD i = 0; i < 100; i++) {
        FormatUnsigned(number, (unsigned int)(first + i));
        if (!JoinText(folder, MAX_PATH, temp, "Kvu") || !AppendText(folder, MAX_PATH, number) ||
            !JoinText(copy, MAX_PATH, folder, "\\" UNINSTALL_EXE))
            return 0;
        if (CreateDirectoryA(folder, NULL))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}

int StartCleanup(const char *self, const char *dir)
{
    char temp[MAX_PATH];
    char folder[MAX_PATH];
    char copy[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp || !EnsureBackslash(temp, sizeof temp) ||
        !MakeCopyFolder(temp, folder, copy))
        return 0;
    // Never over a file: the folder is new, and nothing may be put in it.
    if (!CopyFileA(self, copy, TRUE)) {
        RemoveDirectoryA(folder);
        return 0;
    }

    HANDLE me = NULL;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me,
                         SYNCHRONIZE, TRUE, 0)) {
        DeleteFileA(copy);
        RemoveDirectoryA(folder);
        return 0;
    }
    char number[16];
    char line[3 * MAX_PATH + 64];
    line[0] = '\0';
    FormatUnsigned(number, (unsigned int)(ULONG_PTR)me);
    int ok = AppendText(line, sizeof line, "\"") && AppendText(line, sizeof line, copy) &&
             AppendText(line, sizeof line, "\" /CLEANUP=") &&
             AppendText(line, sizeof line, number) &&
             AppendText(line, sizeof line, " \"/PROGRAM=") && AppendText(line, sizeof line, self) &&
             AppendText(line, sizeof line, "\"");
    if (ok && dir)
        ok = AppendText(line, sizeof line, " \"/D=") && AppendText(line, sizeof line, dir) &&
             AppendText(line, sizeof line, "\"");

    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    // In the temporary folder, so that the copy holds no handle on the
    // application directory it is to remove.
    ok = ok && CreateProcessA(copy, line, NULL, NULL, TRUE, 0, NULL, temp, &startup, &process);
    CloseHandle(me);
    if (!ok) {
        DeleteFileA(copy);
        RemoveDirectoryA(folder);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
