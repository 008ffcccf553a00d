// Unattended installation: the command line, the directories it presets,
// and the whole run without any window (/S).
#include "unattended.h"
#include "copydlg.h"
#include "dlgparts.h"
#include "log.h"
#include "resource.h"
#include "setup.h"
#include "setupdlg.h"
#include "textbuf.h"

static const char kUsage[] = "Usage: setup [/S] [/D=dir] [/DATA=dir] [/CONFIG=dir] [/LOG=file]";

int TakeCommandLine(const char *text, CommandLine *line, int *status)
{
    int ok = ParseCommandLine(text, SETUP_SWITCHES, line);
    g_silent = (line->given & SWITCH_SILENT) != 0;
    if (ok && (line->given & SWITCH_LOG) && LogOpen(line->log))
        LogLine(SETUP_TITLE, " ", text);
    if (ok && !(line->given & SWITCH_HELP))
        return 1;
    ShowSetupBox(NULL, kUsage, MB_OK);
    *status = 1;
    return 0;
}

// A directory given for a dependent box: the dialog counts it as typed.
static void PresetDependentDir(char *field, unsigned given, unsigned flag, char *value, int preset)
{
    if (!(given & flag))
        return;
    CopyText(field, MAX_PATH, TrimSpaces(value));
    g_presetDirs |= preset;
}

void ApplyPresets(SetupOptions *options, CommandLine *line)
{
    if (line->given & SWITCH_DIR)
        FollowAppDefaults(options, TrimSpaces(line->dir));
    PresetDependentDir(options->data_path, line->given, SWITCH_DATA, line->data, PRESET_DATA);
    PresetDependentDir(options->config_path, line->given, SWITCH_CONFIG, line->config,
                       PRESET_CONFIG);
}

// The setup dialog's Install on the directories its boxes would show,
// without the dialog: a directory given on the command line counts as typed.
static int SettleDirectoriesSilently(SetupOptions *options)
{
    char *const texts[DIR_BOXES] = {options->app_path, options->data_path, options->config_path};
    options->data_path_edited = (g_presetDirs & PRESET_DATA) != 0;
    options->config_path_edited = (g_presetDirs & PRESET_CONFIG) != 0;
    return SettleDirectories(NULL, options, texts);
}

int RunSilently(SetupOptions *options)
{
    if (!SettleDirectoriesSilently(options))
        return EXIT_DIRECTORY_REFUSED;
    LogDirectories(options);
    int boxes = g_boxes;
    if (!RunInstallSteps(NULL, NULL, options))
        return EXIT_FAILED;
    // Korvu.ini and the shortcuts report their errors and the run goes on.
    return g_boxes != boxes ? EXIT_INSTALLED_WITH_ERRORS : EXIT_INSTALLED;
}

void LogDirectories(const SetupOptions *options)
{
    static const char *const kNames[] = {"Application", "Data", "Configuration"};
    const char *dirs[] = {options->app_path, options->data_path, options->config_path};
    for (int i = 0; i < 3; i++)
        LogLine(kNames[i], " directory ", dirs[i]);
}

int EndRun(int status)
{
    return LogExitStatus(g_silent ? status : 0);
}
