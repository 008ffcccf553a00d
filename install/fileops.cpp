// The run's failing file operations over kernel32 (see fileops.h).
#include "fileops.h"

int WriteBlock(HANDLE file, const void *data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, NULL) && written == size;
}

int MoveName(const char *from, const char *to)
{
    return MoveFileA(from, to) != 0;
}

int DeleteName(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path) != 0;
}
