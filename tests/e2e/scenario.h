// The E2E fixture: setup.exe started as a given Windows, driven through its
// windows as a person would, and what a run leaves checked; shared by the
// scenario files, one file per group of scenarios.
#pragma once
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "checks.h"
#include "ui.h"

const char kCaption[] = "Korvu ark 7.2 Setup";
const int kWait = 30000;     // for a window to appear or go
const int kRunWait = 120000; // for a whole installation run

// Controls of setup.exe's dialogs, as a person sees them.
enum {
    kExitButton = 1000,
    kInstallButton = 1016,
    kChangeApp = 1018,
    kChangeData = 1021,
    kChangeConfig = 1022,
    kDataBox = 1042,
    kAppBox = 1043,
    kConfigBox = 1046,
    kStateLabel = 1048,
    kCopyFileLabel = 1026,
    kCopyingLabel = 1025,
    kCopyCancel = 1028,
    kFinishOk = 1040,
    kFinishMessage = 1049,
    kBoxText = 0xFFFF,
};

// Controls of the sample application's window.
enum { kKorvuData = 101, kKorvuConfig = 102 };

// Where each family keeps the group and the desktop shortcut.
struct Family {
    int programs;
    int desktop;       // -1: no desktop shortcut at all
    int otherPrograms; // the other family's folders, which must stay empty
    int otherDesktop;
};
const Family kNtFamily = {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
                          CSIDL_DESKTOPDIRECTORY};
const Family k9xFamily = {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS,
                          CSIDL_COMMON_DESKTOPDIRECTORY};
// NT before 4.0: Program Manager's group, which Wine's shell keeps in the
// user's Start-menu Programs; Program Manager has no desktop.
const Family kProgmanFamily = {CSIDL_PROGRAMS, -1, CSIDL_COMMON_PROGRAMS,
                               CSIDL_COMMON_DESKTOPDIRECTORY};

// How the person presses a button: with the mouse, or with Enter on the
// focused button.
enum class By { Mouse, Keyboard };

// What the run showed between Install and its end.
struct RunSeen {
    bool copyDialog = false;
    std::string copyCaption;
    std::string copyingText;
    std::string fileLabel; // the file being written when the screen was held
    HWND finish = NULL;
    HWND box = NULL; // a message box instead of the finish dialog
    bool exited = false;
};
class E2E : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts setup.exe (or a copy) as Windows `version`.
    void StartSetup(const std::string &exe, const std::string &version, WORD show = SW_SHOWNORMAL,
                    const std::string &args = "");
    // setup.exe with `args` (an unattended run), watched until it ends: it
    // must show no window at any moment. Its exit status, or -1.
    int RunSilent(const std::string &exe, const std::string &version, const std::string &args);
    // The background window, maximised, then the setup dialog over it.
    HWND WaitForSetupDialog();
    // StartSetup, then WaitForSetupDialog; NULL (a failure) when either fails.
    HWND OpenSetupDialog(const std::string &exe, const std::string &version);
    void ExpectBoxes(HWND dialog, const std::string &label, const std::string &app,
                     const std::string &data, const std::string &config);
    // Clicks Install and watches the run: holds the program (RunHold) when
    // its copy dialog names the first file, for the dialog's picture and
    // `whileHeld`, and before its finish dialog shows, for the group windows
    // of Program Manager (closeGroupWindows_); returns at the finish dialog,
    // a message box or the program's end.
    RunSeen Install(HWND dialog, const std::string &shotPrefix, By by = By::Mouse,
                    const std::function<void(HWND copy)> &whileHeld = nullptr);
    // The finish dialog's text, its picture, OK, and the exit code 0.
    void FinishWithOk(HWND finish, const std::string &shotPrefix, By by = By::Mouse);
    // Install with no message box on the way, then FinishWithOk.
    void InstallToFinish(HWND dialog, const std::string &shotPrefix);
    // After an internal error: no finish dialog, the program ends by itself.
    void ExpectEndWithoutFinish();
    // A run from a damaged copy refused with its internal error, leaving nothing.
    void ExpectDamagedRefused(const std::string &bad, const std::string &shots,
                              const std::string &message, const std::string &boxShot);
    // Program Manager's group window, photographed and closed (see scenario.cpp).
    void CloseGroupWindow(const std::string &shot);
    // Opens a shortcut as a double click in Explorer or the Start menu would,
    // and reads the directories the program's window shows; Alt+F4 closes it.
    void StartFromShortcut(const std::string &link, const std::string &data,
                           const std::string &config, const std::string &shot);
    void ExpectExitCode0();
    // setup.exe started as Windows XP, Install clicked, and the box with
    // Retry and Cancel that a file in use brings up; NULL (a failure) if
    // none came.
    HWND InstallUntilRetryBox();
    // A message box of setup.exe: its caption and text; OK closes it.
    void AnswerBox(HWND box, const std::string &text, const std::string &shot);

    // The whole fresh installation with the defaults, as version `version`.
    void FreshInstall(const std::string &version, const Family &family, const std::string &shots,
                      By finishBy = By::Mouse);
    // The upgrade over Korvu orb 6.3 in C:\Korvu, on the NT family.
    void UpgradeOverPreviousVersion(const std::string &version, const std::string &shots);

    // Every payload file in `app`, byte for byte, with `setupExe`'s time.
    void ExpectPayloadInstalled(const std::string &app, const std::string &setupExe,
                                const std::vector<std::string> &names);
    void ExpectShortcuts(const std::string &app, const Family &family);
    void ExpectNoShortcuts();
    // The previous version gone from `app`: its program, and its group.
    void ExpectPreviousGone(const std::string &app, const std::string &oldGroup);
    // `wineBytes`: the whole file as Wine leaves it, checked on Wine only.
    void ExpectIni(const std::string &app, const std::vector<std::string> &lines,
                   const std::string &data, const std::string &config,
                   const std::string &wineBytes);

    e2e::Program setup_;
    e2e::Program app_;
    bool closeGroupWindows_ = false; // for Install: NT 3.51, Program Manager
};

// Korvu orb 6.3's group in the programs folder `programs`, holding its
// shortcut to the program in `app`, and its desktop shortcut in the folder
// `desktop` (-1: none): the group's path, or empty (a failure) if not made.
std::string MakePreviousShortcuts(int programs, int desktop, const std::string &app);
// The names of the payload's files (the host script's copies), sorted.
std::vector<std::string> ExpectedNames();
// This tree's setup.exe, as the host script put it beside the driver.
std::string SetupExe();
// What follows the last backslash.
std::string BaseName(const std::string &path);

// A copy of setup.exe with the byte at `offset` of its payload flipped, as
// a bad download would have it; empty (and a failure) if it cannot be made.
// `matchingCheck`: the check value made to match the damaged payload, as in
// a setup.exe built from bad bytes, so that only the extraction can find it.
std::string DamagedCopy(const std::string &payload, size_t offset, bool matchingCheck = true);

// The log an unattended run wrote, and a line it must hold.
std::string LogOf(const std::string &path);
void ExpectLogHas(const std::string &log, const std::string &line);
