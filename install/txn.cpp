// The payload installed as one step (see txn.h). At every moment the
// application directory tells what to do after a kill: with the mark,
// every staged file is complete and checked, and the run is completed;
// without it, the staged files go and any backup goes back in its place.
#include "txn.h"
#include "copydlg.h"
#include "desktop.h"
#include "fileops.h"
#include "options.h"
#include "runtime.h"
#include "textbuf.h"
#include "uninstinfo.h"

static_assert(sizeof STAGED_PREFIX - 1 == PREFIX_LENGTH &&
                  sizeof BACKUP_PREFIX - 1 == PREFIX_LENGTH,
              "ForEachWithPrefix takes the name after PREFIX_LENGTH characters");

int TxnPath(char *out, const char *app, const char *prefix, const char *name)
{
    return JoinText(out, MAX_PATH, app, prefix) && AppendText(out, MAX_PATH, name);
}

static int Exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Every file in app whose name begins with prefix: deleted, or (moveIn)
// put in the place of the file named without the prefix. 1 when all went.
static int ForEachWithPrefix(const char *app, const char *prefix, int moveIn)
{
    char pattern[MAX_PATH], found[MAX_PATH], target[MAX_PATH];
    if (!TxnPath(pattern, app, prefix, "*"))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    int all = 1;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!JoinText(found, sizeof found, app, entry.cFileName) ||
            !JoinText(target, sizeof target, app, entry.cFileName + PREFIX_LENGTH) ||
            !(moveIn ? DeleteName(target) && MoveName(found, target) : DeleteName(found)))
            all = 0;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return all;
}

void FinishInterruptedRun(const char *app)
{
    char mark[MAX_PATH];
    if (!TxnPath(mark, app, PLACING_MARK, ""))
        return;
    // With the mark: every staged file in, the backups gone; the mark only
    // then (a backup left without it would be put back). Without it: the
    // staged files gone, any backup back in its place.
    int placing = Exists(mark);
    int staged = ForEachWithPrefix(app, STAGED_PREFIX, placing);
    if (ForEachWithPrefix(app, BACKUP_PREFIX, !placing) && staged)
        DeleteName(mark);
}

// Milliseconds a silent run waits for a file in use before it gives up.
#define SILENT_RETRY_MS 30000

// A file held by another program (a running Korvu72.exe): 1 to try again,
// because the user pressed Retry or a silent run has not yet waited long.
static int RetryFileInUse(HWND dialog, const char *path, DWORD start)
{
    if (g_silent && GetTickCount() - start < SILENT_RETRY_MS) {
        Sleep(500);
        return 1;
    }
    char text[MAX_PATH + 160];
    text[0] = '\0';
    AppendText(text, sizeof text, "The file ");
    AppendText(text, sizeof text, path);
    AppendText(text, sizeof text,
               " is in use by another program. Close Korvu ark 7.2 on this "
               "computer and press Retry, or press Cancel to stop the "
               "installation.");
    return ShowSetupBox(dialog, text, MB_RETRYCANCEL) == IDRETRY;
}

// Steps an existing file aside. One that cannot be renamed is taken to be
// held by another program (Windows refuses to rename an open file).
static int MoveAside(HWND dialog, const char *target, const char *backup)
{
    DWORD start = GetTickCount();
    while (Exists(target) && !MoveName(target, backup))
        if (!RetryFileInUse(dialog, target, start))
            return 0;
    return 1;
}

// A name's staged, backup and own path in app.
enum { PATH_STAGED, PATH_BACKUP, PATH_TARGET, PATH_KINDS };
static int NamePaths(char paths[PATH_KINDS][MAX_PATH], const char *app, const char *name)
{
    static const char *const kPrefixes[PATH_KINDS] = {STAGED_PREFIX, BACKUP_PREFIX, ""};
    for (int i = 0; i < PATH_KINDS; i++)
        if (!TxnPath(paths[i], app, kPrefixes[i], name))
            return 0;
    return 1;
}

int StartRecords(RecordWalk *walk, const PayloadSet *set)
{
    walk->set = set;
    walk->at = 0;
    return McfOpen(&walk->reader, set->data[0], set->size[0]);
}

int NextRecord(RecordWalk *walk, McfRecord *record, const unsigned char **stream)
{
    int next;
    while ((next = McfNext(&walk->reader, record, stream)) == MCF_END &&
           ++walk->at < walk->set->count)
        if ((next = McfOpen(&walk->reader, walk->set->data[walk->at], walk->set->size[walk->at])) !=
            MCF_RECORD)
            break;
    return next;
}

// The set's names, the set read whole once before.
static int NextName(RecordWalk *walk, McfRecord *record)
{
    const unsigned char *stream;
    return NextRecord(walk, record, &stream) == MCF_RECORD;
}

void NoteSetFiles(const PayloadSet *set)
{
    RecordWalk walk;
    McfRecord record;
    StartRecords(&walk, set);
    while (NextName(&walk, &record))
        NoteMade(RECORD_FILE, record.file_name);
}

// The first `count` files of the set, as far as they were put in place,
// back to their staged names; the backups stay for FinishInterruptedRun.
static int UnplaceFirst(const char *app, const PayloadSet *set, int count)
{
    char paths[PATH_KINDS][MAX_PATH];
    RecordWalk walk;
    McfRecord record;
    StartRecords(&walk, set);
    for (int i = 0; i < count && NextName(&walk, &record); i++)
        if (!NamePaths(paths, app, record.file_name) ||
            (!Exists(paths[PATH_STAGED]) && Exists(paths[PATH_TARGET]) &&
             !MoveName(paths[PATH_TARGET], paths[PATH_STAGED])))
            return 0;
    return 1;
}

int PlaceStagedFiles(HWND dialog, const char *app, const PayloadSet *set)
{
    char mark[MAX_PATH], paths[PATH_KINDS][MAX_PATH];
    HANDLE file = INVALID_HANDLE_VALUE;
    if (TxnPath(mark, app, PLACING_MARK, ""))
        file =
            CreateFileA(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    RecordWalk walk;
    McfRecord record;
    StartRecords(&walk, set);
    for (int placed = 0; NextName(&walk, &record); placed++) {
        if (!NamePaths(paths, app, record.file_name) ||
            !MoveAside(dialog, paths[PATH_TARGET], paths[PATH_BACKUP]) ||
            !MoveName(paths[PATH_STAGED], paths[PATH_TARGET])) {
            // Back to the old files: the new ones out and the mark gone, so
            // that the caller's FinishInterruptedRun, as for a run that had
            // not begun, puts the backups back. Should that fail, the mark
            // stays and it goes forward instead: all new. Never a mix.
            if (UnplaceFirst(app, set, placed + 1))
                DeleteName(mark);
            return 0;
        }
    }
    // With the mark still there this only deletes the backups, then the
    // mark; a run killed in between is completed the same way.
    FinishInterruptedRun(app);
    return 1;
}

void RemoveMadeDirs(void)
{
    while (g_madeDirCount > 0 && RemoveDirectoryA(g_madeDirs[g_madeDirCount - 1]))
        g_madeDirCount--;
}
