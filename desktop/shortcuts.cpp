// The program group "Korvu ark 7.2" with its shortcuts, and the desktop
// shortcut, in the folders of the running Windows family.
#include "desktop.h"
#include "log.h"
#include "options.h"
#include "progman.h"
#include "runtime.h"
#include "shellcalls.h"
#include "textbuf.h"
#include "uninstinfo.h"

static const char kGroupName[] = PROGRAM_GROUP;
static const char kItemMessage[] = "Error - Unable to create program item ";
static const char kGroupItemMessage[] = "Error - Unable to create program group and item ";

int AddGroup(HWND owner, const char *path)
{
    if (!CreateDirectoryA(path, NULL)) {
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) {
            ReportFailure(owner, "Error - Unable to add program group", "AddGroup",
                          "CreateDirectory", (int)error);
            return 0;
        }
    }
    // Also for a folder that was there: the shell may not have seen it yet.
    ShellChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, path, NULL);
    NoteMade(RECORD_GROUP, path);
    return 1;
}

// Saves the link object under `link`; 0 after a reported failure.
static int SaveLink(HWND owner, IShellLinkA *shellLink, const char *link)
{
    IPersistFile *file = NULL;
    HRESULT result = shellLink->QueryInterface(IID_IPersistFile, (void **)&file);
    if (result != S_OK || !file) {
        ReportFailure(owner, kItemMessage, "CreateLink", "pShellLink->QueryInterface",
                      (int)GetLastError());
        return 0;
    }
    WCHAR wideLink[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, MAX_PATH)) {
        ReportFailure(owner, kItemMessage, "CreateLink", "MultiByteToWideChar",
                      (int)GetLastError());
        file->Release();
        return 0;
    }
    // Only a shortcut that was saved goes into the record.
    result = file->Save(wideLink, TRUE);
    file->Release();
    if (result != S_OK) {
        ReportFailure(owner, kItemMessage, "CreateLink", "ppf->Save", (int)result);
        return 0;
    }
    LogLine("Shortcut ", link, NULL);
    NoteMade(RECORD_LINK, link);
    return 1;
}

// Target and working directory into the link object; 0 after a report.
static int DescribeLink(HWND owner, IShellLinkA *shellLink, const char *target,
                        const char *directory)
{
    if (shellLink->SetPath(target) != S_OK) {
        ReportFailure(owner, kItemMessage, "CreateLink", "Set Path", (int)GetLastError());
        return 0;
    }
    if (shellLink->SetWorkingDirectory(directory) != S_OK) {
        ReportFailure(owner, kItemMessage, "CreateLink", "SetWorkingDirectory",
                      (int)GetLastError());
        return 0;
    }
    return 1;
}

int CreateLink(HWND owner, const char *target, const char *link, const char *workdir)
{
    if (!FileExists(target))
        return 0;
    char directory[MAX_PATH];
    if (!CopyText(directory, sizeof directory, workdir)) {
        ReportFailure(owner, kItemMessage, "CreateLink", "SetWorkingDirectory",
                      STATUS_PATH_TOO_LONG);
        return 0;
    }
    DropBackslash(directory);

    IShellLinkA *shellLink = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void **)&shellLink);
    if (result != S_OK || !shellLink) {
        ReportFailure(owner, kGroupItemMessage, "CreateLink", "CoCreateInstance",
                      (int)GetLastError());
        return 0;
    }
    int made =
        DescribeLink(owner, shellLink, target, directory) && SaveLink(owner, shellLink, link);
    shellLink->Release();
    return made;
}

// One shortcut to `fileName` of the application directory, saved as
// folder + linkName. A link or target path that would not fit is reported
// as a target the link object did not accept.
static void MakeShortcut(HWND owner, const char *folder, const char *linkName,
                         const SetupOptions *options, const char *fileName)
{
    char link[MAX_PATH];
    char target[MAX_PATH];
    if (!JoinText(link, sizeof link, folder, linkName) ||
        !JoinText(target, sizeof target, options->app_path, fileName)) {
        ReportFailure(owner, kItemMessage, "CreateShellGroupAndShortcut", "Set Path",
                      STATUS_PATH_TOO_LONG);
        return;
    }
    CreateLink(owner, target, link, options->app_path);
}

// The group folder and its two shortcuts; 0 when the group could not be
// made (already reported).
static int MakeGroup(HWND dialog, IMalloc *allocator, const SetupOptions *options)
{
    char group[MAX_PATH];
    if (!FindShellFolder(dialog, allocator, PROGRAMS_FOLDER, group, "CreateShellGroupAndShortcut"))
        return 0;
    if (!EnsureBackslash(group, sizeof group) || !AppendText(group, sizeof group, kGroupName)) {
        ReportFailure(dialog, "Error - Unable to add program group", "AddGroup", "CreateDirectory",
                      STATUS_PATH_TOO_LONG);
        return 0;
    }
    if (!AddGroup(dialog, group))
        return 0;
    MakeShortcut(dialog, group, LINK_PROGRAM, options, "Korvu72.exe");
    MakeShortcut(dialog, group, LINK_REFERENCE, options, "KorvuRef.chm");
    return 1;
}

static void MakeDesktopShortcut(HWND dialog, IMalloc *allocator, const SetupOptions *options)
{
    char desktop[MAX_PATH];
    if (!FindShellFolder(dialog, allocator, DESKTOP_FOLDER, desktop, "CreateShellGroupAndShortcut"))
        return;
    MakeShortcut(dialog, desktop, LINK_PROGRAM, options, "Korvu72.exe");
}

// NT before 4.0: the group in Program Manager, with an item for each file
// of the application directory that is there (as with the shortcuts, a
// missing file makes no item and no message), working in that directory.
// Program Manager has no desktop, so there is no desktop shortcut. When it
// does not answer, one message says so instead of one per step.
static void CreateProgmanGroup(HWND dialog, const SetupOptions *options)
{
    static const char *const items[] = {"Korvu 7.2", "Korvu72.exe", "KorvuReference",
                                        "KorvuRef.chm"};
    char directory[MAX_PATH];
    char program[MAX_PATH];
    CopyText(directory, sizeof directory, options->app_path); // the same size
    DropBackslash(directory);
    ProgmanConversation progman;
    const char *message = "Error - Program Manager did not answer; the program group "
                          "Korvu ark 7.2 was not created.";
    UINT status = ProgmanOpen(&progman);
    if (status == 0) {
        message = "Error - Unable to add program group";
        status = ProgmanCreateGroup(&progman, kGroupName);
    }
    for (int i = 0; status == 0 && i < 4; i += 2) {
        UINT itemStatus = STATUS_PATH_TOO_LONG;
        if (JoinText(program, sizeof program, options->app_path, items[i + 1])) {
            if (!FileExists(program))
                continue;
            itemStatus = ProgmanAddItem(&progman, program, items[i], directory);
        }
        if (itemStatus)
            ReportFailure(dialog, kItemMessage, "CreateShellGroupAndShortcut", "AddItem",
                          (int)itemStatus);
    }
    if (status)
        ReportFailure(dialog, message, "CreateShellGroupAndShortcut", "DdeClientTransaction",
                      (int)status);
    else
        NoteMade(RECORD_PROGMAN, kGroupName);
    ProgmanClose(&progman);
}

void CreateShellGroupAndShortcut(HWND dialog, SetupOptions *options)
{
    if (IsNtBefore40()) {
        CreateProgmanGroup(dialog, options);
        return;
    }
    IMalloc *allocator = NULL;
    HRESULT result = ShellGetMalloc(&allocator);
    // Any failure, not only E_FAIL: without an allocator nothing can be freed.
    if (FAILED(result) || !allocator) {
        ReportFailure(dialog, "Error - Unable to allocate memory", "CreateShellGroupAndShortcut",
                      "SHGetMalloc(&lpMalloc)", (int)GetLastError());
        return;
    }
    if (MakeGroup(dialog, allocator, options))
        MakeDesktopShortcut(dialog, allocator, options);
    allocator->Release();
}
