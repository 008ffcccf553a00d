// The shell's folder browser, for the three Change buttons.
#include "runtime.h"
#include "setupdlg.h"
#include "shellcalls.h"
#include <shlobj.h>

int GetChangedDir(HWND owner, char *out, const char *title)
{
    IMalloc *allocator = NULL;
    if (FAILED(ShellGetMalloc(&allocator)) || !allocator) {
        ReportFailure(owner, "Internal Error - Unable to open directory selection dialog",
                      "GetChangedDir", "SHGetMalloc", (int)GetLastError());
        return 0;
    }

    char displayName[MAX_PATH];
    BROWSEINFOA browse;
    ZeroMemory(&browse, sizeof browse);
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;

    // Paired with CoUninitialize below, so COM is left as we found it.
    CoInitialize(NULL);
    int result = 0;
    LPITEMIDLIST chosen = ShellBrowseForFolder(&browse);
    if (chosen) {
        if (ShellGetPathFromIDList(chosen, out))
            result = 1;
        else
            ReportFailure(owner, "Internal Error 70", "GetChangedDir", "SHGetPathFromIDList",
                          (int)GetLastError());
        allocator->Free(chosen);
    }
    allocator->Release();
    CoUninitialize();
    return result;
}
