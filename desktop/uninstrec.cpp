// For the removal of Korvu ark 7.2: the record of what this installation
// made (Uninst72.dat in the application directory, read by Uninst72.exe)
// and the entry in the list of installed programs.
#include "desktop.h"
#include "options.h"
#include "runtime.h"
#include "textbuf.h"
#include "uninstinfo.h"

// NULL when there is no record; g_recordFailed once a line did not reach it.
static HANDLE g_record;
static int g_recordFailed;
static const char kRegisterMessage[] = UNINSTALL_REGISTER_MESSAGE;

// How long the uninstaller's /REGISTER run may take.
#define REGISTER_WAIT_MS 30000

void OpenUninstallRecord(const SetupOptions *options)
{
    char path[MAX_PATH];
    if (!JoinText(path, sizeof path, options->app_path, UNINSTALL_RECORD))
        return;
    HANDLE file = OpenOutput(path, 0);
    g_record = file == INVALID_HANDLE_VALUE ? NULL : file;
    g_recordFailed = 0;
}

void NoteMade(const char *kind, const char *value)
{
    if (g_record && !(WriteText(g_record, kind) && WriteText(g_record, value)))
        g_recordFailed = 1;
}

void CloseUninstallRecord(HWND dialog)
{
    // A record that could not be opened, or whose lines did not all reach
    // the disk, would make the uninstaller leave things behind.
    DWORD status = GetLastError();
    if (g_record)
        CloseHandle(g_record);
    if (!g_record || g_recordFailed)
        ReportFailure(dialog, "Error - Unable to write " UNINSTALL_RECORD, "CloseUninstallRecord",
                      "WriteFile", (int)status);
    g_record = NULL;
}

// The uninstaller enters itself in the list (it knows its own path, and
// it is the one that takes the entry out again): "Uninst72.exe /REGISTER"
// makes the entry and adds it to the record (closed by then); its exit
// status is the registry's result. Waited for, so that a failure is
// reported here like any other step: in the box, the log and the exit
// status of a silent run.
void RegisterUninstall(HWND dialog, const SetupOptions *options)
{
    char program[MAX_PATH];
    char command[MAX_PATH + 16];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    DWORD status = ERROR_FILENAME_EXCED_RANGE;
    command[0] = '"';
    // By its full path, never searched for.
    if (JoinText(program, sizeof program, options->app_path, UNINSTALL_EXE) &&
        JoinText(command + 1, sizeof command - 1, program, "\" " REGISTER_SWITCH)) {
        if (CreateProcessA(program, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                           &process)) {
            status = WaitForSingleObject(process.hProcess, REGISTER_WAIT_MS);
            if (status == WAIT_OBJECT_0 && !GetExitCodeProcess(process.hProcess, &status))
                status = GetLastError();
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        } else {
            status = GetLastError();
        }
    }
    if (status != ERROR_SUCCESS)
        ReportFailure(dialog, kRegisterMessage, "RegisterUninstall", "CreateProcess", (int)status);
}
