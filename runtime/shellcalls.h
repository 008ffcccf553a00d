// The shell's folder functions, looked up in shell32.dll when first used
// rather than imported: Windows NT before 4.0 has no such exports, and an
// import of them would keep setup.exe from loading there at all. Each
// returns the shell's own result, or failure with ERROR_PROC_NOT_FOUND.
#pragma once
#include <windows.h>

#include <shlobj.h>

// A DLL of Windows loaded by its full path in the system directory: never
// one of the same name that someone put in the program's folder or
// elsewhere on the search path. NULL, with the reason in GetLastError().
HMODULE LoadSystemLibrary(const char *name);

HRESULT ShellGetMalloc(IMalloc **allocator);
HRESULT ShellGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST *list);
BOOL ShellGetPathFromIDList(LPCITEMIDLIST list, char *path);
LPITEMIDLIST ShellBrowseForFolder(BROWSEINFOA *browse);
void ShellChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);
