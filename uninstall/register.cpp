// The entry in the list of installed programs (Control Panel's
// Add/Remove Programs): made by the uninstaller itself when setup.exe runs
// it with REGISTER_SWITCH, taken out again when it removes the program.
#include "korvuver.h"
#include "log.h"
#include "runtime.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"
#include <string.h>

static LONG SetText(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
}

static LONG SetNumber(HKEY key, const char *name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
}

// The size of what the installation wrote, in KB, as the list of installed
// programs shows it: the files the record names in the application
// directory, measured there (setup.exe writes the record before it starts
// us). FindFirstFile gives the size on Windows 95 as on NT.
static DWORD InstalledKilobytes(const char *app)
{
    Record record;
    DWORD kilobytes = 0;
    if (!LoadRecord(app, &record))
        return 0;
    char name[MAX_PATH];
    char path[MAX_PATH];
    const char *cursor = NULL;
    while (NextRecordValue(&record, &cursor, RECORD_FILE, name)) {
        WIN32_FIND_DATAA found;
        HANDLE search = JoinText(path, sizeof path, app, name) ? FindFirstFileA(path, &found)
                                                               : INVALID_HANDLE_VALUE;
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        kilobytes += found.nFileSizeHigh ? 0xFFFFFFFFu / 1024 : (found.nFileSizeLow + 1023) / 1024;
    }
    FreeRecord(&record);
    return kilobytes;
}

// The values, in turn; the first failure's status, or ERROR_SUCCESS.
static LONG FillEntry(HKEY key, const char *self, const char *app)
{
    char command[MAX_PATH + 8];
    char quiet[MAX_PATH + 8];
    char icon[MAX_PATH + 2];
    command[0] = '\0';
    if (!AppendText(command, sizeof command, "\"") || !AppendText(command, sizeof command, self) ||
        !AppendText(command, sizeof command, "\"") ||
        !JoinText(quiet, sizeof quiet, command, " /S") || !JoinText(icon, sizeof icon, "\"", app) ||
        !AppendText(icon, sizeof icon, "Korvu72.exe\""))
        return ERROR_FILENAME_EXCED_RANGE;
    SYSTEMTIME today;
    char date[12];
    GetLocalTime(&today);
    wsprintfA(date, "%04u%02u%02u", today.wYear % 10000u, today.wMonth % 100u, today.wDay % 100u);
    // In this order; a text of NULL: the number.
    struct Value {
        const char *name;
        const char *text;
        DWORD number;
    };
    const Value values[] = {
        {"DisplayName", UNINSTALL_KEY, 0},
        {"DisplayVersion", KORVU_DISPLAY_VERSION, 0},
        {"Publisher", KORVU_COMPANY, 0},
        {"VersionMajor", NULL, KORVU_VERSION_MAJOR},
        {"VersionMinor", NULL, KORVU_VERSION_MINOR},
        {"InstallDate", date, 0},
        {"EstimatedSize", NULL, InstalledKilobytes(app)},
        {"UninstallString", command, 0},
        {"QuietUninstallString", quiet, 0},
        {"InstallLocation", app, 0},
        {"DisplayIcon", icon, 0},
        {"NoModify", NULL, 1},
        {"NoRepair", NULL, 1},
    };
    LONG status = ERROR_SUCCESS;
    for (size_t i = 0; i < sizeof values / sizeof values[0] && status == ERROR_SUCCESS; i++)
        status = values[i].text ? SetText(key, values[i].name, values[i].text)
                                : SetNumber(key, values[i].name, values[i].number);
    return status;
}

static LONG MakeEntry(const char *self, const char *app)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH, 0, NULL, 0, KEY_SET_VALUE,
                                  NULL, &key, NULL);
    if (status != ERROR_SUCCESS)
        return status;
    status = FillEntry(key, self, app);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH);
    return status;
}

// The record gets its RECORD_KEY line, so that the removal takes the entry
// out again.
static LONG NoteEntry(const char *app)
{
    char path[MAX_PATH];
    HANDLE record = INVALID_HANDLE_VALUE;
    if (JoinText(path, sizeof path, app, UNINSTALL_RECORD))
        record = OpenOutput(path, 1);
    if (record == INVALID_HANDLE_VALUE)
        return ERROR_FILE_NOT_FOUND;
    int written = WriteText(record, RECORD_KEY UNINSTALL_KEY);
    CloseHandle(record);
    return written ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

LONG RegisterSelf(const char *self, const char *app)
{
    // NT before 4.0 has no such list.
    if (IsNtBefore40())
        return ERROR_NOT_SUPPORTED;
    LONG status = MakeEntry(self, app);
    if (status == ERROR_SUCCESS)
        status = NoteEntry(app);
    // setup.exe waits for this run and reports a failure as one of its
    // own steps: nothing is shown here.
    return status;
}

// Another installation in another directory may have registered since
// (the key's name is the same): its entry is left alone.
static int IsOurEntry(HKEY key, const char *app)
{
    char location[MAX_PATH];
    DWORD size = sizeof location;
    DWORD type = 0;
    if (RegQueryValueExA(key, "InstallLocation", NULL, &type, (BYTE *)location, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
        return 1;
    location[size < sizeof location ? size : sizeof location - 1] = '\0';
    return SameDirectory(location, app);
}

void RemoveRegistration(const Record *record, Removal *removal)
{
    char name[MAX_PATH];
    const char *cursor = NULL;
    if (!NextRecordValue(record, &cursor, RECORD_KEY, name) || lstrcmpiA(name, UNINSTALL_KEY) != 0)
        return;
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return;
    if (status == ERROR_SUCCESS) {
        int ours = IsOurEntry(key, record->app);
        RegCloseKey(key);
        if (!ours) {
            LogLine("Kept HKLM\\" UNINSTALL_KEY_PATH, " (another installation's)", NULL);
            return;
        }
        status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH);
    }
    if (status != ERROR_SUCCESS) {
        NoteFailure(removal, "the entry in the list of installed programs", (DWORD)status);
        return;
    }
    removal->registered = 1;
    LogLine("Removed HKLM\\" UNINSTALL_KEY_PATH, NULL, NULL);
}
