// The user's choices, carried from the setup dialog to the installation,
// their defaults, and what the setup dialog made for them.
#pragma once
#include <windows.h>

#include "uninstinfo.h"

// After Install, app_path always ends with a backslash.
struct SetupOptions {
    char app_path[MAX_PATH];
    char data_path[MAX_PATH];
    char config_path[MAX_PATH];
    LONG data_path_edited;
    LONG config_path_edited;
    LONG upgrade;
    LONG config_found;
};

// The configuration file's name, in each of the directories.
extern char g_szIniFile[MAX_PATH];
// The dependent directories given on the command line (PRESET_ bits).
extern int g_presetDirs;
#define PRESET_DATA 1
#define PRESET_CONFIG 2
// The directories the setup dialog created in this run, outermost first,
// for a failed installation to remove again.
#define MAX_MADE_DIRS 8
extern char g_madeDirs[MAX_MADE_DIRS][MAX_PATH];
extern int g_madeDirCount;

// options.cpp
// Korvu.ini's `key` in `section` of the one in `directory` into value (260
// bytes); 1 when there is such a file and a value.
int LookupPreviousSetting(const char *directory, const char *section, const char *key, char *value);
// 1 when `directory` holds a Korvu.ini.
int ConfigFileExists(const char *directory);
void FillDefaultOptions(SetupOptions *options);
// The data directory that follows the application directory `app` into
// value (260 bytes): a previous installation's Data value (1), else
// app\Data (0; empty when too long). The same for the configuration
// directory: a previous Config value (1), else app itself (0).
int FollowingDataPath(const char *app, char *value);
int FollowingConfigPath(const char *app, char *value);
// The application directory given on the command line (/D=), with the data
// and configuration directories following it as the dialog's boxes do.
void FollowAppDefaults(SetupOptions *options, const char *app);
