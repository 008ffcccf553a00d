// A DLL planted where an ordinary user can write, under the name of one
// our programs could load: whatever loads it leaves a mark beside it
// ("NAME.dll.ran").
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    char path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && n > 0 && n < MAX_PATH) {
        lstrcatA(path, ".ran");
        HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (mark != INVALID_HANDLE_VALUE)
            CloseHandle(mark);
    }
    return TRUE;
}
