// Keeps a build tree's Wine virtual desktop open for the whole test run.
// Wine closes a desktop a second after the last program on it has ended; a
// program that starts in that moment is handed the closing desktop's window
// and dies at start-up with an X error (BadWindow in X_CreateWindow). While
// this program runs the desktop has a user, so it never closes between two
// tests. cmake/wine-env starts it with the tree's Wine and ends it at the
// end. It has no window: nothing a test looks for, nothing that takes focus.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The desktop is made now, before the first test, and kept; wine-env
    // waits for the word that it is.
    if (!GetDesktopWindow())
        return 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "ready\n", 6, &written, NULL);
    Sleep(INFINITE);
    return 0;
}
