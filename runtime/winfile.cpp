// Text files written through Win32 itself: our programs load no C library.
#include "runtime.h"

HANDLE OpenOutput(const char *path, int append)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE && append)
        SetFilePointer(file, 0, NULL, FILE_END);
    return file;
}

int WriteText(HANDLE file, const char *text)
{
    DWORD n = (DWORD)lstrlenA(text);
    DWORD written = 0;
    return WriteFile(file, text, n, &written, NULL) && written == n;
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
