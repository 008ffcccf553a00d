// The process entry point of setup.exe. The C runtime of the compiler is
// left out (its start-up code would be a quarter of the program); the C
// runtime DLL (crtdll.dll; msvcrt.dll in the x86_64 build)
// initialises itself when it loads, and nothing here needs static
// constructors, so the entry only has to find WinMain's arguments.
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

extern "C" void SetupStartup(void)
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(
        (UINT)WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), show));
}
