// The removal itself: only what the record names, each thing on its own,
// a failure noted and the rest carried on.
#include "log.h"
#include "progman.h"
#include "runtime.h"
#include "shellcalls.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"

enum { DELETE_FAILED = 0, DELETED = 1, WAS_GONE = 2 };

// DELETED, WAS_GONE when there was no such file, or DELETE_FAILED with the
// reason in GetLastError(). A read-only file is made writable first.
static int DeleteIfThere(const char *path)
{
    if (DeleteFileA(path))
        return DELETED;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return WAS_GONE;
    DWORD attributes = GetFileAttributesA(path);
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (DeleteFileA(path))
            return DELETED;
        error = GetLastError();
        SetFileAttributesA(path, attributes);
    }
    SetLastError(error);
    return DELETE_FAILED;
}

// Deletes one file and counts it; returns what DeleteIfThere returned.
static int RemoveFile(const char *path, int *count, Removal *removal)
{
    int gone = DeleteIfThere(path);
    if (gone == DELETED) {
        (*count)++;
        LogLine("Removed ", path, NULL);
    } else if (gone == DELETE_FAILED) {
        NoteFailure(removal, path, GetLastError());
    }
    return gone;
}

static void RemoveLinks(const Record *record, Removal *removal)
{
    char link[MAX_PATH];
    const char *cursor = NULL;
    while (NextRecordValue(record, &cursor, RECORD_LINK, link))
        if (RemoveFile(link, &removal->links, removal) == DELETED)
            ShellChangeNotify(SHCNE_DELETE, SHCNF_PATHA, link, NULL);
}

// The group folder goes when it is empty; one that holds shortcuts of the
// user's own stays, and that is no failure.
static void RemoveGroups(const Record *record, Removal *removal)
{
    char group[MAX_PATH];
    const char *cursor = NULL;
    while (NextRecordValue(record, &cursor, RECORD_GROUP, group)) {
        if (RemoveDirectoryA(group)) {
            removal->groups++;
            LogLine("Removed ", group, NULL);
            ShellChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, group, NULL);
            continue;
        }
        DWORD error = GetLastError();
        if (error == ERROR_DIR_NOT_EMPTY)
            LogLine("Kept ", group, " (it holds other shortcuts)");
        else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            NoteFailure(removal, group, error);
    }
}

// NT before 4.0: the group setup.exe made in Program Manager, through its
// DDE conversation (Program Manager deletes the group with its items).
static void RemoveProgmanGroups(const Record *record, Removal *removal)
{
    char group[MAX_PATH];
    const char *cursor = NULL;
    if (!IsNtBefore40())
        return;
    // The value is the group's fixed name (record.cpp), which is what goes
    // into the command, as setup.exe's CreateGroup has it.
    while (NextRecordValue(record, &cursor, RECORD_PROGMAN, group)) {
        ProgmanConversation progman;
        UINT status = ProgmanOpen(&progman);
        if (status == 0)
            status = ProgmanDeleteGroup(&progman, group);
        ProgmanClose(&progman);
        if (status == 0) {
            removal->groups++;
            LogLine("Removed the Program Manager group ", group, NULL);
        } else {
            char what[MAX_PATH + 32];
            JoinText(what, sizeof what, "the Program Manager group ", group);
            NoteFailure(removal, what, status);
        }
    }
}

// The files the installation wrote into the application directory, by
// name; a file of the same name that the user or the program added later
// is not in the record, and so is never touched. The uninstaller itself
// goes after it has ended (selfremove.cpp).
static void RemoveFiles(const Record *record, Removal *removal)
{
    char name[MAX_PATH];
    char path[MAX_PATH];
    const char *cursor = NULL;
    while (NextRecordValue(record, &cursor, RECORD_FILE, name)) {
        if (lstrcmpiA(name, UNINSTALL_EXE) == 0 || lstrcmpiA(name, UNINSTALL_RECORD) == 0)
            continue;
        if (JoinText(path, sizeof path, record->app, name))
            RemoveFile(path, &removal->files, removal);
    }
    if (JoinText(path, sizeof path, record->app, KORVU_INI))
        RemoveFile(path, &removal->files, removal);
}

void RemoveInstallation(const Record *record, Removal *removal)
{
    removal->ignored = CheckRecord(record);
    RemoveLinks(record, removal);
    RemoveGroups(record, removal);
    RemoveProgmanGroups(record, removal);
    RemoveFiles(record, removal);
    RemoveRegistration(record, removal);
    char path[MAX_PATH];
    if (JoinText(path, sizeof path, record->app, UNINSTALL_RECORD))
        RemoveFile(path, &removal->files, removal);
}
