#include "runtime.h"

HINSTANCE g_hInstance;
OSVERSIONINFOA g_osvi;
int g_silent;
int g_boxes;

int IsNtBefore40(void)
{
    return g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           g_osvi.dwMajorVersion * 100 + g_osvi.dwMinorVersion < 400;
}
