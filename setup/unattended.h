// Unattended installation (/S) and the directories an administrator
// presets on the command line.
#pragma once
#include <windows.h>

#include "cmdline.h"
#include "setup.h"

// Exit statuses of a silent run; an interactive one always ends with 0.
enum {
    EXIT_INSTALLED = 0,
    EXIT_USAGE = 1,
    EXIT_DIRECTORY_REFUSED = 2,
    EXIT_DAMAGED = 3,
    EXIT_FAILED = 4,
    EXIT_INSTALLED_WITH_ERRORS = 5
};

// Parses the command line, sets g_silent and opens the log. 0 when the run
// ends at once (the usage was shown, or only logged when silent), with
// *status EXIT_USAGE.
int TakeCommandLine(const char *text, CommandLine *line, int *status);
// /D=, /DATA=, /CONFIG= over the defaults.
void ApplyPresets(SetupOptions *options, CommandLine *line);
// The run of /S after the defaults and presets: the steps of the setup and
// copy dialogs, with no window at all (a window costs a silent run more
// than the installation of a small application). The exit status.
int RunSilently(SetupOptions *options);
void LogDirectories(const SetupOptions *options);
// Logs the status and closes the log; the exit code (0 unless silent).
int EndRun(int status);
