// The record setup.exe wrote: "Kind=value" lines in the order things were
// made (see uninstinfo.h); and the directories the application uses, as
// its Korvu.ini names them.
#include "desktop.h"
#include "log.h"
#include "runtime.h"
#include "shellcalls.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"
#include <windows.h>

#include <string.h>

// Far more than any payload's list of names; a larger file is not ours.
static const DWORD kMaxRecord = 4L * 1024 * 1024;

// The file's bytes and a terminator, on the process heap; NULL when it is
// missing, unreadable or too large. *size is the bytes' count.
static char *ReadWholeFile(const char *path, DWORD *size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    char *text = NULL;
    *size = GetFileSize(file, NULL);
    if (*size <= kMaxRecord)
        text = (char *)HeapAlloc(GetProcessHeap(), 0, *size + 1);
    DWORD read = 0;
    if (text && (!ReadFile(file, text, *size, &read, NULL) || read != *size)) {
        HeapFree(GetProcessHeap(), 0, text);
        text = NULL;
    }
    if (text)
        text[*size] = '\0';
    CloseHandle(file);
    return text;
}

// The Start menu's Programs folders and the desktop folders, all users'
// and the current user's; empty where Windows has none, and where one is
// a UNC or device path.
static void FindShellFolders(Record *record)
{
    static const int kFolders[4] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS,
                                    CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY};
    char *paths[4] = {record->programs[0], record->programs[1], record->desktops[0],
                      record->desktops[1]};
    IMalloc *allocator = NULL;
    int haveShell = SUCCEEDED(ShellGetMalloc(&allocator)) && allocator;
    for (int i = 0; i < 4; i++) {
        int status;
        if (!haveShell ||
            GetShellFolderPath(allocator, kFolders[i], paths[i], &status) != SHELL_FOLDER_OK ||
            paths[i][0] == '\\')
            paths[i][0] = '\0';
    }
    if (allocator)
        allocator->Release();
}

int LoadRecord(const char *app, Record *record)
{
    char path[MAX_PATH];
    record->text = NULL;
    record->data[0] = '\0';
    record->config[0] = '\0';
    if (!CopyText(record->app, sizeof record->app, app) ||
        !JoinText(path, sizeof path, app, UNINSTALL_RECORD))
        return 0;
    record->text = ReadWholeFile(path, &record->size);
    if (!record->text)
        return 0;
    FindShellFolders(record);
    // Where the application keeps the books now, which may not be where
    // setup.exe put them.
    if (JoinText(path, sizeof path, app, KORVU_INI)) {
        GetPrivateProfileStringA(KORVU_SECTION, "Data", "", record->data, sizeof record->data,
                                 path);
        GetPrivateProfileStringA(KORVU_SECTION, "Config", "", record->config, sizeof record->config,
                                 path);
    }
    return 1;
}

void FreeRecord(Record *record)
{
    if (record->text)
        HeapFree(GetProcessHeap(), 0, record->text);
    record->text = NULL;
}

// The kinds of line, as RECORD_* without their line break.
static const char *const kKinds[] = {RECORD_FILE, RECORD_GROUP, RECORD_LINK, RECORD_PROGMAN,
                                     RECORD_KEY};
#define KIND_COUNT (int)(sizeof kKinds / sizeof kKinds[0])
// Lines ignored that are each named in the log; the rest are counted.
#define IGNORED_NAMED 50

// The next line from *cursor (NULL at the start) as [*line, *line +
// *length), without its CR LF or LF; 0 at the end of the record.
static int NextLine(const Record *record, const char **cursor, const char **line, size_t *length)
{
    const char *stop = record->text + record->size;
    const char *p = *cursor ? *cursor : record->text;
    if (!record->text || p >= stop)
        return 0;
    const char *end = p;
    while (end < stop && *end != '\n')
        end++;
    *cursor = end < stop ? end + 1 : end;
    *line = p;
    *length = (size_t)(end - p);
    if (*length > 0 && p[*length - 1] == '\r')
        (*length)--;
    return 1;
}

// A device of every folder ("NUL", "com1.txt"): Windows takes the part
// before the first dot, trailing blanks dropped, and also reads the
// superscripts 1 to 3 as port digits.
static int IsDeviceName(const char *name)
{
    size_t n = 0;
    while (name[n] && name[n] != '.')
        n++;
    while (n > 0 && name[n - 1] == ' ')
        n--;
    if (n != 3 && n != 4)
        return 0;
    char base[5];
    for (size_t i = 0; i < n; i++)
        base[i] = name[i] >= 'a' && name[i] <= 'z' ? (char)(name[i] - 'a' + 'A') : name[i];
    base[n] = '\0';
    if (n == 3)
        return !strcmp(base, "CON") || !strcmp(base, "PRN") || !strcmp(base, "AUX") ||
               !strcmp(base, "NUL");
    unsigned char digit = (unsigned char)base[3];
    return (!strncmp(base, "COM", 3) || !strncmp(base, "LPT", 3)) &&
           ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

// A name the installation can have written into the application
// directory: what mcftool build lets into a payload.
static int IsPlainFileName(const char *name)
{
    size_t n = strlen(name);
    if (n == 0 || name[n - 1] == '.' || name[n - 1] == ' ')
        return 0;
    for (const char *p = name; *p; p++)
        if ((unsigned char)*p < ' ' || strchr("\\/:*?\"<>|", *p))
            return 0;
    return !IsDeviceName(name);
}

// The program group in `folder`, as setup.exe composes it; 0 when there
// is no such folder.
static int ComposeGroup(const char *folder, char *group)
{
    return folder[0] && CopyText(group, MAX_PATH, folder) && EnsureBackslash(group, MAX_PATH) &&
           AppendText(group, MAX_PATH, PROGRAM_GROUP);
}

static int IsOurGroup(const Record *record, const char *value)
{
    char group[MAX_PATH];
    for (int i = 0; i < 2; i++)
        if (ComposeGroup(record->programs[i], group) && lstrcmpiA(group, value) == 0)
            return 1;
    return 0;
}

// One of the shortcuts setup.exe makes: in a program group, or on a desktop.
static int IsOurLink(const Record *record, const char *value)
{
    static const char *const kGroupLinks[] = {LINK_PROGRAM, LINK_REFERENCE};
    char group[MAX_PATH];
    char link[MAX_PATH];
    for (int i = 0; i < 2; i++) {
        for (int j = 0; j < 2; j++)
            if (ComposeGroup(record->programs[i], group) &&
                JoinText(link, sizeof link, group, kGroupLinks[j]) && lstrcmpiA(link, value) == 0)
                return 1;
        if (record->desktops[i][0] &&
            JoinText(link, sizeof link, record->desktops[i], LINK_PROGRAM) &&
            lstrcmpiA(link, value) == 0)
            return 1;
    }
    return 0;
}

// 1 when `value` of line kind `kind` is one that setup.exe can have written
// on this computer. The folders compared with hold no UNC or device path
// (LoadRecord), so neither does any value taken.
static int ValueIsOurs(const Record *record, int kind, const char *value)
{
    char path[MAX_PATH];
    switch (kind) {
    case 0:
        return record->app[0] != '\\' && IsPlainFileName(value) &&
               JoinText(path, sizeof path, record->app, value);
    case 1: return IsOurGroup(record, value);
    case 2: return IsOurLink(record, value);
    default: return strcmp(value, kind == 3 ? PROGRAM_GROUP : UNINSTALL_KEY) == 0;
    }
}

// The kind and value of a line setup.exe can have written; -1 for any
// other line. A value too long for the buffer, or with a NUL byte in it,
// could name something else once cut: never acted on.
static int TakeLine(const Record *record, const char *line, size_t length, char *value)
{
    for (int kind = 0; kind < KIND_COUNT; kind++) {
        const char *name = kKinds[kind] + 1;
        size_t n = strlen(name);
        if (length <= n || length - n >= MAX_PATH || strncmp(line, name, n) != 0)
            continue;
        memcpy(value, line + n, length - n);
        value[length - n] = '\0';
        return strlen(value) == length - n && ValueIsOurs(record, kind, value) ? kind : -1;
    }
    return -1;
}

int NextRecordValue(const Record *record, const char **cursor, const char *kind, char *value)
{
    int wanted = 0;
    while (wanted < KIND_COUNT && strcmp(kKinds[wanted], kind) != 0)
        wanted++;
    const char *line;
    size_t length;
    while (NextLine(record, cursor, &line, &length))
        if (TakeLine(record, line, length, value) == wanted)
            return 1;
    return 0;
}

// One ignored line in the log: its number and its start, control
// characters (a NUL byte among them) shown as '?'.
static void LogIgnored(unsigned int number, const char *line, size_t length)
{
    char shown[84];
    size_t n = 0;
    for (; n < length && n < sizeof shown - 4; n++)
        shown[n] = (unsigned char)line[n] < ' ' ? '?' : line[n];
    if (n < length)
        for (int i = 0; i < 3; i++)
            shown[n++] = '.';
    shown[n] = '\0';
    char digits[12];
    char what[32];
    JoinText(what, sizeof what, "Ignored line ", FormatUnsigned(digits, number));
    LogLine(what, " of " UNINSTALL_RECORD ", which this installation did not write: ", shown);
}

int CheckRecord(const Record *record)
{
    char value[MAX_PATH];
    const char *cursor = NULL;
    const char *line;
    size_t length;
    unsigned int number = 0;
    int ignored = 0;
    while (NextLine(record, &cursor, &line, &length)) {
        number++;
        if (length == 0 || TakeLine(record, line, length, value) >= 0)
            continue;
        if (++ignored <= IGNORED_NAMED)
            LogIgnored(number, line, length);
    }
    if (ignored > IGNORED_NAMED) {
        char digits[12];
        LogLine("Ignored ", FormatUnsigned(digits, (unsigned int)(ignored - IGNORED_NAMED)),
                " more lines of " UNINSTALL_RECORD);
    }
    return ignored;
}

int SameDirectory(const char *a, const char *b)
{
    char left[MAX_PATH];
    char right[MAX_PATH];
    if (!CopyText(left, sizeof left, a) || !CopyText(right, sizeof right, b))
        return 0;
    DropBackslash(left);
    DropBackslash(right);
    return left[0] != '\0' && lstrcmpiA(left, right) == 0;
}
