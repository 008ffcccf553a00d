// The options' defaults and what an earlier installation's Korvu.ini says.
#include "options.h"
#include "pathrules.h"
#include "runtime.h"
#include "textbuf.h"

char g_szIniFile[MAX_PATH];
int g_presetDirs;
char g_madeDirs[MAX_MADE_DIRS][MAX_PATH];
int g_madeDirCount;

static const char kSection[] = KORVU_SECTION;

// Korvu.ini's path in `directory` into path (MAX_PATH bytes); 0 for no
// directory, or one too long to hold the file's name.
static int IniPathIn(const char *directory, char *path)
{
    return directory[0] != '\0' && CopyText(path, MAX_PATH, directory) &&
           EnsureBackslash(path, MAX_PATH) && AppendText(path, MAX_PATH, g_szIniFile);
}

int ConfigFileExists(const char *directory)
{
    char path[MAX_PATH];
    return IniPathIn(directory, path) && FileExists(path);
}

int LookupPreviousSetting(const char *directory, const char *section, const char *key, char *value)
{
    char path[MAX_PATH];
    if (!IniPathIn(directory, path) || !FileExists(path))
        return 0;
    return GetPrivateProfileStringA(section, key, "", value, MAX_PATH, path) > 0;
}

int FollowingDataPath(const char *app, char *value)
{
    if (LookupPreviousSetting(app, kSection, "Data", value) == 1)
        return 1;
    // Too long to derive: empty, which Install refuses, rather than a cut path.
    if (!DeriveDataPath(value, MAX_PATH, app))
        value[0] = '\0';
    return 0;
}

int FollowingConfigPath(const char *app, char *value)
{
    if (LookupPreviousSetting(app, kSection, "Config", value) == 1)
        return 1;
    CopyText(value, MAX_PATH, app);
    return 0;
}

void FollowAppDefaults(SetupOptions *options, const char *app)
{
    CopyText(options->app_path, sizeof options->app_path, app);
    options->upgrade = FollowingDataPath(app, options->data_path);
    options->config_found = FollowingConfigPath(app, options->config_path);
}

// Defaults: <system drive>\Korvu, its Data folder, and whatever a Korvu.ini
// already in that directory says (an upgrade).
void FillDefaultOptions(SetupOptions *options)
{
    char system[MAX_PATH];
    char base[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system || length < 3)
        return;

    lstrcpynA(base, system, 4); // the drive root, e.g. C:\ (3 characters)
    AppendText(base, sizeof base, "Korvu");
    FollowAppDefaults(options, base);
}
