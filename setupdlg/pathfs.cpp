// Directory creation and existence tests on the real file system.
#include "options.h"
#include "runtime.h"
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
