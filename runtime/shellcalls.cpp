#include "shellcalls.h"
#include "textbuf.h"

HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof path);
    if (n == 0 || n >= sizeof path || !EnsureBackslash(path, sizeof path) ||
        !AppendText(path, sizeof path, name)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    return LoadLibraryA(path);
}

// shell32.dll stays loaded for the life of the process once it is needed.
static FARPROC ShellFunction(const char *name)
{
    static HMODULE shell;
    if (!shell)
        shell = LoadSystemLibrary("shell32.dll");
    FARPROC function = shell ? GetProcAddress(shell, name) : NULL;
    if (!function)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return function;
}

HRESULT ShellGetMalloc(IMalloc **allocator)
{
    typedef HRESULT(WINAPI * Fn)(IMalloc **);
    Fn fn = (Fn)(void *)ShellFunction("SHGetMalloc");
    *allocator = NULL;
    return fn ? fn(allocator) : E_FAIL;
}

HRESULT ShellGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST *list)
{
    typedef HRESULT(WINAPI * Fn)(HWND, int, LPITEMIDLIST *);
    Fn fn = (Fn)(void *)ShellFunction("SHGetSpecialFolderLocation");
    *list = NULL;
    return fn ? fn(owner, folder, list) : E_FAIL;
}

BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, char *path)
{
    typedef BOOL(WINAPI * Fn)(LPCITEMIDLIST, char *);
    Fn fn = (Fn)(void *)ShellFunction("SHGetPathFromIDListA");
    return fn ? fn(list, path) : FALSE;
}

LPITEMIDLIST ShellBrowseForFolder(BROWSEINFOA *browse)
{
    typedef LPITEMIDLIST(WINAPI * Fn)(BROWSEINFOA *);
    Fn fn = (Fn)(void *)ShellFunction("SHBrowseForFolderA");
    return fn ? fn(browse) : NULL;
}

void ShellChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2)
{
    typedef void(WINAPI * Fn)(LONG, UINT, LPCVOID, LPCVOID);
    Fn fn = (Fn)(void *)ShellFunction("SHChangeNotify");
    if (fn)
        fn(event, flags, item1, item2);
}
