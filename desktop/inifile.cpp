// Korvu.ini: created from the template when missing, then the two keys
// that setup owns ("Data" and "Config" of section "Korvu") are set. Every
// other line belongs to the application and is left alone.
#include "desktop.h"
#include "log.h"
#include "options.h"
#include "runtime.h"
#include "textbuf.h"

static const char kBothPathsMessage[] =
    "Error - Unable to write data directory path\nand config directory path\nin Korvu.INI file. ";
static const char kDataPathMessage[] =
    "Error - Unable to write data directory path\nin Korvu.INI file. ";
static const char kConfigPathMessage[] =
    "Error - Unable to write config directory path\nin Korvu.INI file. ";

static const char *const kTemplate[] = {
    ";; Korvu ark 7.2 workstation specific parameters file",
    "",
    "[Korvu]",
    "",
    "    ;; Specify location of Data files",
    "",
    "Data  = \\korvu\\data",
    "",
    "    ;; Specify list of companies to preload",
    "    ;; ** TO STOP DEFAULT LOADING set the following line to NO",
    "",
    "Default Companies = Yes",
    "",
    "Load = 0001",
    "",
    "    ;; Specify list of KDL files for user defined reports and changes",
    "    ;; ** TO STOP LOADING KDL FILES, set the following line to NO",
    "",
    "User KDL    = Yes",
    "",
    ";;kdl = <kdlfile.1>",
    ";;kdl = <kdlfile.2>",
    "",
    "    ;; Specify location of KORVU.SAV (saved configuration of Korvu)",
    "",
    "Config  = \\korvu",
    "",
    "    ;; Specify Color details of local monitor",
    "",
    "Color   = Yes",
    "",
    "    ;; end-of-file",
};

int WriteINITemplate(HANDLE file)
{
    for (size_t i = 0; i < sizeof kTemplate / sizeof kTemplate[0]; i++)
        if (!WriteText(file, kTemplate[i]) || !WriteText(file, "\r\n"))
            return 0;
    return 1;
}

// Writes the template to a new file. A template that did not reach the disk
// completely (a full disk) counts as not created, and the stump is removed so
// that the next run starts from the template again.
static int CreateFromTemplate(HWND dialog, const char *path)
{
    HANDLE file = OpenOutput(path, 0);
    if (file == INVALID_HANDLE_VALUE) {
        ReportFailure(dialog, kBothPathsMessage, "ChangeINIFile", "CreateFile",
                      (int)GetLastError());
        return 0;
    }
    int written = WriteINITemplate(file);
    int status = (int)GetLastError();
    CloseHandle(file);
    if (!written) {
        DeleteFileA(path);
        ReportFailure(dialog, kBothPathsMessage, "ChangeINIFile", "WriteFile", status);
        return 0;
    }
    return 1;
}

// Value of one key: a blank, then the directory without one trailing
// backslash. A directory too long for the value counts as a failed write.
static void WriteDirectoryKey(HWND dialog, const char *path, const char *key, const char *directory,
                              const char *message)
{
    char value[MAX_PATH];
    if (!JoinText(value, sizeof value, " ", directory)) {
        ReportFailure(dialog, message, "ChangeINIFile", "WritePrivateProfileString",
                      STATUS_PATH_TOO_LONG);
        return;
    }
    DropBackslash(value);
    if (!WritePrivateProfileStringA(KORVU_SECTION, key, value, path))
        ReportFailure(dialog, message, "ChangeINIFile", "WritePrivateProfileString",
                      (int)GetLastError());
    else
        LogLine("Korvu.ini ", key, value);
}

int ChangeINIFile(HWND dialog)
{
    SetupOptions *options = (SetupOptions *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
    if (!options) {
        ReportFailure(dialog, kBothPathsMessage, "ChangeINIFile", "GetWindowLong",
                      (int)GetLastError());
        return 0;
    }
    return WriteINIDirectories(dialog, options);
}

int WriteINIDirectories(HWND dialog, const SetupOptions *options)
{
    char path[MAX_PATH];
    if (!JoinText(path, sizeof path, options->app_path, g_szIniFile)) {
        ReportFailure(dialog, kBothPathsMessage, "ChangeINIFile", "FindFirstFile",
                      STATUS_PATH_TOO_LONG);
        return 0;
    }
    if (!FileExists(path) && !CreateFromTemplate(dialog, path))
        return 0;
    WriteDirectoryKey(dialog, path, "Data", options->data_path, kDataPathMessage);
    WriteDirectoryKey(dialog, path, "Config", options->config_path, kConfigPathMessage);
    return 1;
}
