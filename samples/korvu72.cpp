#include <windows.h>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(NULL, "Korvu ark 7.2", "Korvu ark 7.2", MB_OK);
    return 0;
}
