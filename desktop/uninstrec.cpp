// For the removal of Korvu ark 7.2: the record of what this installation
// made (Uninst72.dat in the application directory, read by Uninst72.exe)
// and the entry in the list of installed programs.
#include "desktop.h"
#include "setup.h"
#include "textbuf.h"
#include "uninstinfo.h"

static FILE *g_record;

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
// it is the one that takes the entry out again): run "Uninst72.exe
// /REGISTER", whose exit status is the registry's result.
void RegisterUninstall(HWND dialog, const SetupOptions *options)
{
    char program[MAX_PATH];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD status = ERROR_FILENAME_EXCED_RANGE;
    // setup.exe's own start-up record will do: the uninstaller shows nothing.
    GetStartupInfoA(&startup);
    if (JoinText(program, sizeof program, options->app_path, UNINSTALL_EXE)) {
        status = GetLastError();
        if (CreateProcessA(program, (char *)UNINSTALL_EXE " " REGISTER_SWITCH, NULL, NULL, FALSE, 0,
                           NULL, NULL, &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &status);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    if (status != ERROR_SUCCESS) {
        ReportFailure(dialog, "Error - Unable to add Korvu ark 7.2 to the list of installed programs",
                      "RegisterUninstall", "CreateProcess", (int)status);
        return;
    }
    NoteMade(RECORD_KEY, UNINSTALL_KEY);
}
