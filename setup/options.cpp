#include "setup.h"
#include "textbuf.h"

static const char kSection[] = "Korvu";

int LookupPreviousSetting(HWND owner, const char *directory, const char *section,
                          const char *key, char *value)
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

// Defaults: <system drive>\Korvu, its Data folder, and whatever a Korvu.ini
// already in that directory says (an upgrade).
void FillDefaultOptions(HWND owner, SetupOptions *options)
{
    char system[MAX_PATH];
    char base[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system || length < 3)
        return;

    lstrcpynA(base, system, 4);   // the drive root, e.g. C:\ (3 characters)
    AppendText(base, sizeof base, "Korvu");

    CopyText(options->app_path, sizeof options->app_path, base);
    JoinText(options->data_path, sizeof options->data_path, base, "\\Data");
    CopyText(options->config_path, sizeof options->config_path, base);

    if (LookupPreviousSetting(owner, options->app_path, kSection, "Data", options->data_path) == 1) {
        options->upgrade = 1;
    } else {
        JoinText(options->data_path, sizeof options->data_path, base, "\\Data");
        options->upgrade = 0;
    }
    if (LookupPreviousSetting(owner, options->app_path, kSection, "Config", options->config_path) == 1) {
        options->config_found = 1;
    } else {
        CopyText(options->config_path, sizeof options->config_path, base);
        options->config_found = 0;
    }
}
