#include "setup.h"

HINSTANCE g_hInstance;
OSVERSIONINFOA g_osvi;
char g_szIniFile[MAX_PATH];
int g_silent;
int g_boxes;
int g_presetDirs;
char g_madeDirs[MAX_MADE_DIRS][MAX_PATH];
int g_madeDirCount;

int IsNtBefore40(void)
{
    return g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           g_osvi.dwMajorVersion * 100 + g_osvi.dwMinorVersion < 400;
}
