// For the removal of Korvu ark 7.2: the record of what this installation
// made (Uninst72.dat in the application directory, read by Uninst72.exe)
// and the entry in the list of installed programs.
#include "desktop.h"
#include "setup.h"
#include "textbuf.h"
#include "uninstinfo.h"

static FILE *g_record;
static const char kRegisterMessage[] = UNINSTALL_REGISTER_MESSAGE;

void OpenUninstallRecord(const SetupOptions *options, int drop)
{
    char path[MAX_PATH];
    if (!JoinText(path, sizeof path, options->app_path, UNINSTALL_RECORD))
        return;
    if (!drop) {
        g_record = fopen(path, "w");
        return;
    }
    // After a failed extraction there is nothing to remove but by hand: no
    // record either.
    fclose(g_record);
    g_record = NULL;
    DeleteFileA(path);
}

void NoteMade(const char *kind, const char *value)
{
    if (!g_record)
        return;
    fputs(kind, g_record);
    fputs(value, g_record);
}

void CloseUninstallRecord(HWND dialog)
{
    // A record that could not be opened, or whose lines did not all reach
    // the disk, would make the uninstaller leave things behind.
    if (!g_record || fclose(g_record) != 0)
        ReportFailure(dialog, "Error - Unable to write " UNINSTALL_RECORD, "CloseUninstallRecord",
                      "fclose", (int)GetLastError());
    g_record = NULL;
}

// The uninstaller enters itself in the list (it knows its own path, and
// it is the one that takes the entry out again): "Uninst72.exe /REGISTER"
// makes the entry, adds it to the record (closed by then) and reports a
// failure in the same style as ours (not at all after /S, as here). Not
// waited for: it shows nothing else.
void RegisterUninstall(HWND dialog, const SetupOptions *options)
{
    char command[MAX_PATH + 32];
    UINT started = 0;
    command[0] = '"';
    if (JoinText(command + 1, sizeof command - 1, options->app_path,
                 g_silent ? UNINSTALL_EXE "\" " REGISTER_SWITCH " /S"
                          : UNINSTALL_EXE "\" " REGISTER_SWITCH))
        started = WinExec(command, SW_SHOWNORMAL);
    // WinExec's results below 32 are errors.
    if (started < 32)
        ReportFailure(dialog, kRegisterMessage, "RegisterUninstall", "WinExec", (int)started);
}
