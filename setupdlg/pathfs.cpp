// Directory creation and existence tests on the real file system.
#include "setup.h"
#include "setupdlg.h"
#include "textbuf.h"

static int CreateOneLevel(const char *level, void *context)
{
    (void)context;
    if (!CreateDirectoryA(level, NULL))
        return (int)GetLastError();
    if (g_madeDirCount < MAX_MADE_DIRS && CopyText(g_madeDirs[g_madeDirCount], MAX_PATH, level))
        g_madeDirCount++;
    return 0;
}

int DoMakeDir(char *path)
{
    return WalkDirLevels(path, CreateOneLevel, NULL);
}

int FileExists(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

// No directory, or one too long to hold the file's name: nothing to find.
int ConfigFileExists(const char *directory)
{
    char path[MAX_PATH];
    if (directory[0] == '\0' || !CopyText(path, sizeof path, directory) ||
        !EnsureBackslash(path, sizeof path) || !AppendText(path, sizeof path, g_szIniFile))
        return 0;
    return FileExists(path);
}
