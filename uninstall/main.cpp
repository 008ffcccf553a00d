// Uninst72.exe: asks once, removes what the installation made, says what
// it removed. /S does the same without a window; /LOG=FILE writes down
// every step. Exit status: 0 removed, 1 usage error, 2 answered No,
// 4 something could not be removed (or there was nothing to go by, or the
// record held lines the installation did not write, which are ignored).
#include "cmdline.h"
#include "log.h"
#include "runtime.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"
#include <string.h>

enum { EXIT_REMOVED = 0, EXIT_USAGE = 1, EXIT_ANSWERED_NO = 2, EXIT_NOT_ALL_REMOVED = 4 };

static const char kUsage[] =
    "Removes Korvu ark 7.2 from this computer; your data and configuration are "
    "kept.\n\n" UNINSTALL_EXE " [/S] [/LOG=FILE]\n\n"
    "/S\tno question and no message; exit status 0 when everything was removed, "
    "1 for a usage error, 4 when something could not be removed\n"
    "/LOG=FILE\tappend every step to FILE";

// The uninstaller's own path and its directory (with a trailing backslash).
static int FindSelf(char *self, char *app)
{
    DWORD n = GetModuleFileNameA(NULL, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !CopyText(app, MAX_PATH, self))
        return 0;
    char *slash = strrchr(app, '\\');
    if (!slash)
        return 0;
    slash[1] = '\0';
    return 1;
}

// The uninstaller's own file and, unless it is the data or configuration
// directory, the application directory go after the program has ended.
static void RemoveSelf(const char *self, const Record *record, Removal *removal)
{
    char dir[MAX_PATH];
    CopyText(dir, sizeof dir, record->app);
    DropBackslash(dir);
    int keepDir = SameDirectory(dir, record->data) || SameDirectory(dir, record->config);
    if (StartCleanup(self, keepDir ? NULL : dir)) {
        LogLine("Removed ", self, " (once this program has ended)");
        return;
    }
    if (DeleteAtRestart(self)) {
        LogLine("Removed ", self, " (when Windows next starts)");
        return;
    }
    NoteFailure(removal, self, GetLastError());
}

static int Uninstall(const char *self, const char *app)
{
    Record record;
    if (!LoadRecord(app, &record)) {
        char text[MAX_PATH + 160];
        text[0] = '\0';
        AppendText(text, sizeof text,
                   "Nothing was removed: the list of what the installation made, ");
        AppendText(text, sizeof text, app);
        AppendText(text, sizeof text, UNINSTALL_RECORD ", is missing.");
        ShowSetupBox(NULL, text, MB_OK | MB_ICONEXCLAMATION);
        return EXIT_NOT_ALL_REMOVED;
    }
    char text[2048 + NAMED_FAILURES * FAILURE_TEXT];
    if (!g_silent) {
        ComposeQuestion(&record, text, sizeof text);
        if (ShowSetupBox(NULL, text, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            LogLine("Nothing was removed: the answer was No.", NULL, NULL);
            FreeRecord(&record);
            return EXIT_ANSWERED_NO;
        }
    }
    Removal removal;
    ZeroMemory(&removal, sizeof removal);
    RemoveInstallation(&record, &removal);
    RemoveSelf(self, &record, &removal);
    ComposeResult(&record, &removal, text, sizeof text);
    int incomplete = removal.failures || removal.ignored;
    ShowSetupBox(NULL, text, MB_OK | (incomplete ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
    FreeRecord(&record);
    return incomplete ? EXIT_NOT_ALL_REMOVED : EXIT_REMOVED;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int showCommand)
{
    (void)previous;
    (void)showCommand;
    g_hInstance = instance;
    g_osvi.dwOSVersionInfoSize = sizeof g_osvi;
    if (!GetVersionExA(&g_osvi))
        return EXIT_NOT_ALL_REMOVED;
    CommandLine line;
    int ok = ParseCommandLine(arguments, UNINSTALL_SWITCHES | REGISTER_SWITCHES | CLEANUP_SWITCHES,
                              &line);
    if (line.given & SWITCH_CLEANUP)
        return ok && !(line.given & ~CLEANUP_SWITCHES) ? RunCleanup(&line) : EXIT_USAGE;
    char self[MAX_PATH];
    char app[MAX_PATH];
    int found = FindSelf(self, app);
    if ((line.given & SWITCH_REGISTER) && ok && !(line.given & ~REGISTER_SWITCHES))
        return found ? (int)RegisterSelf(self, app) : ERROR_FILENAME_EXCED_RANGE;

    // Silent when /S is one of the switches, also on a line with a usage
    // error: a script is never stopped by a box.
    g_silent = (line.given & SWITCH_SILENT) != 0;
    if (!ok || (line.given & ~UNINSTALL_SWITCHES)) {
        ShowSetupBox(NULL, kUsage, MB_OK);
        return EXIT_USAGE;
    }
    if (line.given & SWITCH_HELP) {
        ShowSetupBox(NULL, kUsage, MB_OK);
        return EXIT_REMOVED;
    }
    if (line.given & SWITCH_LOG)
        LogOpen(line.log);
    int result = EXIT_NOT_ALL_REMOVED;
    if (found) {
        LogLine("Removing Korvu ark 7.2 from ", app, NULL);
        result = Uninstall(self, app);
    }
    return LogExitStatus(result);
}
