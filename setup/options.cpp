#include "pathrules.h"
#include "setup.h"
#include "textbuf.h"

static const char kSection[] = KORVU_SECTION;

int LookupPreviousSetting(HWND owner, const char *directory, const char *section, const char *key,
                          char *value)
{
    (void)owner;
    char path[MAX_PATH];
    // No directory, or one too long for the file's name: no file to read.
    if (directory[0] == '\0' || !CopyText(path, sizeof path, directory) ||
        !EnsureBackslash(path, sizeof path) || !AppendText(path, sizeof path, g_szIniFile))
        return 0;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);

    return GetPrivateProfileStringA(section, key, "", value, MAX_PATH, path) > 0;
}

int FollowingDataPath(HWND owner, const char *app, char *value)
{
    if (LookupPreviousSetting(owner, app, kSection, "Data", value) == 1)
        return 1;
    // Too long to derive: empty, which Install refuses, rather than a cut path.
    if (!DeriveDataPath(value, MAX_PATH, app))
        value[0] = '\0';
    return 0;
}

int FollowingConfigPath(HWND owner, const char *app, char *value)
{
    if (LookupPreviousSetting(owner, app, kSection, "Config", value) == 1)
        return 1;
    CopyText(value, MAX_PATH, app);
    return 0;
}

void FollowAppDefaults(HWND owner, SetupOptions *options, const char *app)
{
    CopyText(options->app_path, sizeof options->app_path, app);
    options->upgrade = FollowingDataPath(owner, app, options->data_path);
    options->config_found = FollowingConfigPath(owner, app, options->config_path);
}

// Defaults: <system drive>\Korvu, its Data folder, and whatever a Korvu.ini
// already in that directory says (an upgrade).
void FillDefaultOptions(HWND owner, SetupOptions *options)
{
    char system[MAX_PATH];
    char base[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system || length < 3)
        return;

    lstrcpynA(base, system, 4); // the drive root, e.g. C:\ (3 characters)
    AppendText(base, sizeof base, "Korvu");
    FollowAppDefaults(owner, options, base);
}
