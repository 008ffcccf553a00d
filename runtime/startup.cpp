// The process entry point of setup.exe and the uninstaller. The C runtime
// of the compiler is left out (its start-up code would be a quarter of the
// program), and no C runtime DLL is loaded (cmake/Win32Program.cmake);
// nothing here needs static constructors, so the entry only has to limit
// where DLLs come from and find WinMain's arguments.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The command line without the program's own name.
static LPSTR SkipProgramName(LPSTR line)
{
    if (*line == '"') {
        line++;
        while (*line && *line != '"')
            line++;
        if (*line == '"')
            line++;
    } else {
        while (*line > ' ')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

// Before anything else: a DLL loaded at run time, by us or by Windows on
// our behalf, comes from the system directory only, never from the
// program's folder or the current directory, which an ordinary user may
// have written to. Looked up, as Windows 95 and NT 3.51 have neither call:
// there the program goes on as before.
static void LimitDllSearch(void)
{
    typedef BOOL(WINAPI * DefaultDirsFn)(DWORD);
    typedef BOOL(WINAPI * DllDirFn)(LPCSTR);
    const DWORD searchSystem32 = 0x800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    DefaultDirsFn defaultDirs =
        (DefaultDirsFn)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (defaultDirs && defaultDirs(searchSystem32))
        return;
    // Takes at least the current directory out of the search.
    DllDirFn dllDir = (DllDirFn)(void *)GetProcAddress(kernel, "SetDllDirectoryA");
    if (dllDir)
        dllDir("");
}

extern "C" void SetupStartup(void)
{
    LimitDllSearch();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(
        (UINT)WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), show));
}
