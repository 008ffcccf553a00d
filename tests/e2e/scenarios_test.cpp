// setup.exe used as a person would, from start to exit code, on the
// Windows families Wine can pretend to be; then what it left on disk.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "checks.h"
#include "groupwindows.h"
#include "ui.h"

using namespace e2e;

namespace {

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

std::string BaseName(const std::string &path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

std::string Listing(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return "[" + text + "]";
}

// The dialogs open in the middle of the screen's work area.
void ExpectCentred(HWND window, const char *what)
{
    RECT work, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &rect);
    int dx = (rect.left + rect.right) / 2 - (work.left + work.right) / 2;
    int dy = (rect.top + rect.bottom) / 2 - (work.top + work.bottom) / 2;
    EXPECT_TRUE(abs(dx) <= 2 && abs(dy) <= 2)
        << what << " at " << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom
        << ", off the middle of the work area by " << dx << "," << dy;
}

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
    void SetUp() override
    {
        CoInitialize(NULL);
        CleanState();
    }

    void TearDown() override
    {
        app_.Kill();
        setup_.Kill();
        CleanState();
        CoUninitialize();
    }

    // Starts setup.exe (or a copy) as Windows `version`.
    void StartSetup(const std::string &exe, const std::string &version, WORD show = SW_SHOWNORMAL,
                    const std::string &args = "")
    {
        SetReportedVersion(BaseName(exe), version);
        ASSERT_TRUE(setup_.Start(exe, RunDir(), show, args))
            << exe << ": CreateProcess error " << setup_.error();
    }

    // setup.exe with `args` (an unattended run), watched until it ends: it
    // must show no window at any moment. Its exit status, or -1.
    int RunSilent(const std::string &exe, const std::string &version, const std::string &args)
    {
        StartSetup(exe, version, SW_SHOWNORMAL, args);
        DWORD start = GetTickCount();
        DWORD code = 12345;
        bool windowSeen = false;
        while (!setup_.WaitExit(5, &code)) {
            if (!windowSeen && !VisibleWindows(setup_.pid()).empty()) {
                windowSeen = true;
                ADD_FAILURE() << args << ": a window with /S: " << DescribeScreens(setup_.pid());
            }
            if ((int)(GetTickCount() - start) > kRunWait) {
                ADD_FAILURE() << args << ": still running";
                return -1;
            }
        }
        return (int)code;
    }

    // The background window, maximised, then the setup dialog over it.
    HWND WaitForSetupDialog()
    {
        HWND background = WaitScreen(setup_.pid(), Screen::Background, kWait);
        EXPECT_TRUE(background) << "no background window; seen: " << DescribeScreens(setup_.pid());
        if (background) {
            EXPECT_EQ(kCaption, WindowTextNoWait(background));
            EXPECT_TRUE(IsZoomed(background)) << "background window not maximised";
            RECT rect;
            GetWindowRect(background, &rect);
            EXPECT_GE(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN));
        }
        HWND dialog = WaitScreen(setup_.pid(), Screen::SetupDialog, kWait);
        EXPECT_TRUE(dialog) << "no setup dialog; seen: " << DescribeScreens(setup_.pid());
        if (dialog) {
            EXPECT_EQ(kCaption, WindowTextNoWait(dialog));
            EXPECT_EQ(background, GetWindow(dialog, GW_OWNER))
                << "the background window owns the dialog";
            ExpectCentred(dialog, "setup dialog");
        }
        return dialog;
    }

    void ExpectBoxes(HWND dialog, const std::string &label, const std::string &app,
                     const std::string &data, const std::string &config)
    {
        EXPECT_EQ(label, ItemText(dialog, kStateLabel));
        EXPECT_EQ(app, ItemText(dialog, kAppBox));
        EXPECT_EQ(data, ItemText(dialog, kDataBox));
        EXPECT_EQ(config, ItemText(dialog, kConfigBox));
    }

    // Clicks Install and watches the run: holds the program (RunHold) when
    // its copy dialog names the first file, for the dialog's picture and
    // `whileHeld`, and before its finish dialog shows, for the group windows
    // of Program Manager (closeGroupWindows_); returns at the finish dialog,
    // a message box or the program's end.
    RunSeen Install(HWND dialog, const std::string &shotPrefix, By by = By::Mouse,
                    const std::function<void(HWND copy)> &whileHeld = nullptr)
    {
        RunSeen seen;
        RunHold hold;
        EXPECT_TRUE(hold.Arm(setup_.thread())) << "no hook in setup.exe: error " << GetLastError();
        if (by == By::Mouse)
            ClickWindow(GetDlgItem(dialog, kInstallButton));
        else
            PressKey(VK_RETURN);
        bool copyPassed = false, finishPassed = false;
        DWORD start = GetTickCount();
        while ((int)(GetTickCount() - start) < kRunWait) {
            if (!copyPassed && hold.Held(RunHold::Copy, 0)) {
                copyPassed = true;
                HWND copy = FindScreen(setup_.pid(), Screen::CopyDialog);
                seen.copyDialog = copy != NULL;
                EXPECT_TRUE(copy) << "held with no copy dialog; seen: "
                                  << DescribeScreens(setup_.pid());
                if (copy) {
                    // Wine shows what the busy program draws only when it next
                    // handles messages, so the picture shows the dialog as
                    // drawn when it opened, without file name and progress.
                    ExpectCentred(copy, "copy dialog");
                    seen.copyCaption = WindowTextNoWait(copy);
                    seen.copyingText = WindowTextNoWait(GetDlgItem(copy, kCopyingLabel));
                    seen.fileLabel = WindowTextNoWait(GetDlgItem(copy, kCopyFileLabel));
                    Shot(shotPrefix + "-2-copy-dialog");
                    if (whileHeld)
                        whileHeld(copy);
                }
                hold.Release(RunHold::Copy);
            }
            if (!finishPassed && hold.Held(RunHold::Finish, 0)) {
                finishPassed = true;
                if (closeGroupWindows_)
                    CloseGroupWindow(shotPrefix + "-4-program-manager-group");
                hold.Release(RunHold::Finish);
            }
            if ((seen.finish = FindScreen(setup_.pid(), Screen::FinishDialog)))
                break;
            if ((seen.box = FindScreen(setup_.pid(), Screen::MessageBox)))
                break;
            if (!setup_.Running()) {
                seen.exited = true;
                break;
            }
            Sleep(20);
        }
        EXPECT_TRUE(finishPassed || !closeGroupWindows_)
            << "the run ended before its finish dialog";
        closeGroupWindows_ = false;
        return seen;
    }

    // The finish dialog's text, its picture, OK, and the exit code 0.
    void FinishWithOk(HWND finish, const std::string &shotPrefix, By by = By::Mouse)
    {
        ASSERT_TRUE(finish) << "no finish dialog; seen: " << DescribeScreens(setup_.pid());
        EXPECT_EQ(kCaption, WindowTextNoWait(finish));
        EXPECT_EQ("Korvu Installation Successful\n", ItemText(finish, kFinishMessage));
        ExpectCentred(finish, "finish dialog");
        // In front, where the person's click and keys go: nothing the run
        // started (a group window of Program Manager) may take its place.
        EXPECT_TRUE(WaitForeground(finish, kWait))
            << "in front instead: " << ClassName(GetForegroundWindow()) << " \""
            << WindowTextNoWait(GetForegroundWindow()) << "\"";
        Settle(finish);
        Shot(shotPrefix + "-3-finish-dialog");
        if (by == By::Mouse) {
            ClickWindow(GetDlgItem(finish, kFinishOk));
        } else {
            // OK is the default button and has the focus: Enter closes.
            EXPECT_TRUE(WaitFocus(GetDlgItem(finish, kFinishOk), kWait));
            PressKey(VK_RETURN);
        }
        ExpectExitCode0();
    }

    void ExpectEndWithoutFinish();

    // Program Manager shows the group it made: on Windows while it makes it,
    // before setup.exe goes on. Wine's shell opens a folder window for it in
    // another process a moment later, which takes the foreground whatever
    // show command was asked for (groupwindows.h). Waited for while setup.exe
    // is held before its finish dialog shows, as on Windows, photographed
    // and closed.
    void CloseGroupWindow(const std::string &shot)
    {
        std::vector<std::string> titles;
        EXPECT_TRUE(CloseGroupWindows(kWait, &titles, [&](const std::vector<HWND> &windows) {
            Settle(windows.back());
            Shot(shot);
        })) << "a group window neither came nor went";
        EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), "Korvu ark 7.2"))
            << "Program Manager did not show the group";
    }
    void StartFromShortcut(const std::string &link, const std::string &data,
                           const std::string &config, const std::string &shot);

    void ExpectExitCode0()
    {
        DWORD code = 12345;
        ASSERT_TRUE(setup_.WaitExit(kWait, &code))
            << "setup.exe still runs; seen: " << DescribeScreens(setup_.pid());
        EXPECT_EQ(0u, code);
    }

    // A message box of setup.exe: its caption and text; OK closes it.
    void AnswerBox(HWND box, const std::string &text, const std::string &shot)
    {
        ASSERT_TRUE(box) << "no message box; seen: " << DescribeScreens(setup_.pid());
        EXPECT_EQ(kCaption, WindowTextNoWait(box));
        EXPECT_EQ(text, ItemText(box, kBoxText));
        Settle(box);
        if (!shot.empty())
            Shot(shot);
        ClickWindow(GetDlgItem(box, IDOK));
        EXPECT_TRUE(WaitGone(box, kWait)) << "the message box stays after OK";
    }

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
    // `wineBytes`: the whole file as Wine leaves it, checked on Wine only.
    void ExpectIni(const std::string &app, const std::vector<std::string> &lines,
                   const std::string &data, const std::string &config,
                   const std::string &wineBytes);

    Program setup_;
    Program app_;
    bool closeGroupWindows_ = false; // for Install: NT 3.51, Program Manager
};

std::vector<std::string> ExpectedNames()
{
    return ListDir(ExpectedDir());
}

std::string SetupExe()
{
    return RunDir() + "setup.exe";
}

void E2E::ExpectPayloadInstalled(const std::string &app, const std::string &setupExe,
                                 const std::vector<std::string> &names)
{
    FILETIME setupTime;
    ASSERT_TRUE(LastWrite(setupExe, &setupTime)) << setupExe;
    for (const std::string &name : names) {
        std::string installed = app + "\\" + name;
        bool ok = false;
        std::string got = ReadBytes(installed, &ok);
        std::string want = ReadBytes(ExpectedDir() + name);
        EXPECT_TRUE(ok) << installed << " missing";
        EXPECT_TRUE(got == want) << installed << ": " << got.size() << " bytes, the original "
                                 << want.size() << ", contents differ";
        FILETIME time;
        if (ok && LastWrite(installed, &time)) {
            EXPECT_EQ(0, CompareFileTime(&time, &setupTime))
                << installed << " written " << TimeText(time) << ", setup.exe "
                << TimeText(setupTime);
        }
    }
}

void E2E::ExpectShortcuts(const std::string &app, const Family &family)
{
    std::string group = SpecialFolder(family.programs) + "\\Korvu ark 7.2";
    struct Want {
        std::string link;
        std::string target;
        bool present;
    };
    std::vector<Want> wants = {
        {group + "\\Korvu 7.2.lnk", app + "\\Korvu72.exe", true},
        // The help file is not in the payload: its shortcut only when it is there.
        {group + "\\KorvuReference.lnk", app + "\\KorvuRef.chm",
         FileExists(app + "\\KorvuRef.chm")},
    };
    if (family.desktop >= 0)
        wants.push_back(
            {SpecialFolder(family.desktop) + "\\Korvu 7.2.lnk", app + "\\Korvu72.exe", true});
    else
        EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvu 7.2.lnk"));
    for (const Want &want : wants) {
        if (!want.present) {
            EXPECT_FALSE(FileExists(want.link))
                << want.link << " made although its target is missing";
            continue;
        }
        Link link = ReadLink(want.link);
        EXPECT_TRUE(link.loaded) << want.link << ": " << link.error;
        EXPECT_EQ(want.target, link.target) << want.link;
        EXPECT_EQ(app, link.workDir) << want.link;
    }
    // The other family's folders stay as they were.
    EXPECT_FALSE(DirExists(SpecialFolder(family.otherPrograms) + "\\Korvu ark 7.2"))
        << SpecialFolder(family.otherPrograms);
    EXPECT_FALSE(FileExists(SpecialFolder(family.otherDesktop) + "\\Korvu 7.2.lnk"))
        << SpecialFolder(family.otherDesktop);
}

void E2E::ExpectNoShortcuts()
{
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        EXPECT_FALSE(DirExists(SpecialFolder(csidl) + "\\Korvu ark 7.2")) << SpecialFolder(csidl);
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_FALSE(FileExists(SpecialFolder(csidl) + "\\Korvu 7.2.lnk")) << SpecialFolder(csidl);
}

void E2E::ExpectIni(const std::string &app, const std::vector<std::string> &lines,
                    const std::string &data, const std::string &config,
                    const std::string &wineBytes)
{
    std::string path = app + "\\Korvu.ini";
    bool ok = false;
    std::string bytes = ReadBytes(path, &ok);
    ASSERT_TRUE(ok) << path << " missing";
    // Through the profile functions, as the application reads it.
    EXPECT_EQ(data, ProfileValue(path, "Korvu", "Data"));
    EXPECT_EQ(config, ProfileValue(path, "Korvu", "Config"));
    // Keys, comments and their order, on Windows and Wine alike (see ProfileLines).
    std::vector<std::string> got = ProfileLines(bytes);
    EXPECT_TRUE(lines == got) << "Korvu.ini as the profile functions see it:\n"
                              << Join(got) << "expected:\n"
                              << Join(lines);
    EXPECT_TRUE(AllLinesEndCrLf(bytes)) << "a line of Korvu.ini does not end with CR LF:\n"
                                        << bytes;
    // Byte for byte, as Wine's profile functions write (Windows keeps the
    // template's blank lines and blanks, which Wine drops).
    if (RunningOnWine()) {
        EXPECT_TRUE(wineBytes == bytes) << "Korvu.ini on Wine:\n"
                                        << bytes << "expected:\n"
                                        << wineBytes;
    }
}

void E2E::FreshInstall(const std::string &version, const Family &family, const std::string &shots,
                       By finishBy)
{
    StartSetup(SetupExe(), version);
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "New Installation", "C:\\Korvu", "C:\\Korvu\\Data", "C:\\Korvu");
    // The folder browser buttons are off on NT before 4.0 only.
    bool browsers = version != "nt351";
    EXPECT_EQ(browsers, IsWindowEnabled(GetDlgItem(dialog, kChangeApp)) != FALSE) << version;
    EXPECT_EQ(browsers, IsWindowEnabled(GetDlgItem(dialog, kChangeData)) != FALSE) << version;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kChangeConfig))) << version;
    Settle(dialog);
    Shot(shots + "-1-setup-dialog");

    closeGroupWindows_ = family.desktop < 0;
    RunSeen seen = Install(dialog, shots);
    EXPECT_TRUE(seen.copyDialog) << "the copy dialog was not seen";
    EXPECT_EQ(kCaption, seen.copyCaption);
    EXPECT_EQ("Copying Files.......", seen.copyingText);
    EXPECT_EQ(0u, seen.fileLabel.rfind("C:\\Korvu\\", 0)) << seen.fileLabel;
    ASSERT_FALSE(seen.box) << "message box during the run: "
                           << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, shots, finishBy);

    std::vector<std::string> names = ExpectedNames();
    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), names);
    std::vector<std::string> want = names;
    want.push_back("Data");
    want.push_back("Korvu.ini");
    // The uninstaller and its record of what this installation made.
    want.push_back("Uninst72.dat");
    want.push_back("Uninst72.exe");
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Listing(want), Listing(ListDir("C:\\Korvu")));
    EXPECT_TRUE(DirExists("C:\\Korvu\\Data"));
    std::vector<std::string> lines = TemplateLines("C:\\Korvu\\Data", "C:\\Korvu");
    ExpectIni("C:\\Korvu", lines, "C:\\Korvu\\Data", "C:\\Korvu", CrLfLines(lines));
    ExpectShortcuts("C:\\Korvu", family);
}

// ---- 1 and 4: fresh installation on each family -------------------------

// Opens a shortcut as a double click in Explorer or the Start menu would,
// and reads the directories the program's window shows; Alt+F4 closes it.
void E2E::StartFromShortcut(const std::string &link, const std::string &data,
                            const std::string &config, const std::string &shot)
{
    SHELLEXECUTEINFOA execute;
    ZeroMemory(&execute, sizeof execute);
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpFile = link.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&execute)) << link << ": error " << GetLastError();
    // Ended by the fixture whatever happens below.
    if (execute.hProcess)
        app_.Adopt(execute.hProcess);
    DWORD start = GetTickCount();
    HWND window = NULL;
    // Found once shown: its controls are made while it is created, before.
    while (!window && (int)(GetTickCount() - start) < kWait) {
        window = FindWindowA("Korvu72Main", "Korvu ark 7.2");
        if (window && !(IsWindowVisible(window) && GetDlgItem(window, kKorvuConfig)))
            window = NULL;
        if (!window)
            Sleep(50);
    }
    ASSERT_TRUE(window) << "Korvu72.exe showed no window";
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != app_.pid())
        app_.Adopt(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    EXPECT_EQ(data, ItemText(window, kKorvuData));
    EXPECT_EQ(config, ItemText(window, kKorvuConfig));
    Settle(window);
    if (!shot.empty())
        Shot(shot);

    BringToFront(window);
    KeyChord(VK_MENU, VK_F4);
    DWORD code = 12345;
    EXPECT_TRUE(app_.WaitExit(kWait, &code)) << "Korvu72.exe did not close with Alt+F4";
    EXPECT_EQ(0u, code);
}

TEST_F(E2E, FreshInstallWinXpThenStartFromShortcut)
{
    FreshInstall("winxp", kNtFamily, "xp");
    if (HasFatalFailure() || HasFailure())
        return;
    // The program, started from its new Start-menu entry.
    StartFromShortcut(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Korvu ark 7.2\\Korvu 7.2.lnk",
                      "C:\\Korvu\\Data", "C:\\Korvu", "xp-4-korvu72");
}

TEST_F(E2E, FreshInstallWin98PerUserFolders)
{
    FreshInstall("win98", k9xFamily, "win98", By::Keyboard);
}

TEST_F(E2E, FreshInstallNt40AllUsersFolders)
{
    FreshInstall("nt40", kNtFamily, "nt40");
}

TEST_F(E2E, FreshInstallNt351BrowserButtonsOff)
{
    FreshInstall("nt351", kProgmanFamily, "nt351");
}

TEST_F(E2E, FreshInstallWin7AllUsersFolders)
{
    FreshInstall("win7", kNtFamily, "win7");
}

// setup.exe asks for administrator rights in its manifest, so the group and
// the desktop shortcut go to all users' folders, whatever its name.
TEST_F(E2E, FreshInstallWin10AllUsersFolders)
{
    FreshInstall("win10", kNtFamily, "win10");
}

// A setup.exe written by mcftool build (run-built): every file of its
// folder of awkward names installed under the same ANSI name, byte for
// byte, beside Korvu.ini and Data, and nothing else.
TEST_F(E2E, BuiltInstallerInstallsEveryNameAsGiven)
{
    if (ExpectedNames().size() < 10)
        GTEST_SKIP() << "run by run-built, with its own payload";
    FreshInstall("winxp", kNtFamily, "built");
}

TEST_F(E2E, Win31ShowsNothingAndExits0)
{
    StartSetup(SetupExe(), "win31");
    DWORD code = 12345;
    std::set<std::string> shown;
    DWORD start = GetTickCount();
    while (setup_.Running() && (int)(GetTickCount() - start) < kWait) {
        for (HWND window : VisibleWindows(setup_.pid()))
            shown.insert(ScreenName(Classify(window)) + std::string(" \"") +
                         WindowTextNoWait(window) + "\"");
        Sleep(5);
    }
    ASSERT_TRUE(setup_.WaitExit(0, &code))
        << "setup.exe still runs; seen: " << DescribeScreens(setup_.pid());
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(shown.empty()) << "windows shown: " << *shown.begin();
    EXPECT_FALSE(DirExists("C:\\Korvu"));
    ExpectNoShortcuts();
}

// ---- 2: a typed directory with spaces around it --------------------------

TEST_F(E2E, TypedDirectoryWithSpacesIsTrimmed)
{
    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    HWND app = GetDlgItem(dialog, kAppBox);
    ReplaceEditText(app, "  C:\\Acct Seven  ");
    ASSERT_TRUE(WaitText(app, "  C:\\Acct Seven  ", kWait))
        << "typed text arrived as \"" << WindowTextTimed(app) << "\"";
    // From here on only the keyboard: Enter goes from box to box like Tab,
    // and leaving the application box trims it; the untouched boxes follow.
    HWND data = GetDlgItem(dialog, kDataBox);
    HWND config = GetDlgItem(dialog, kConfigBox);
    HWND install = GetDlgItem(dialog, kInstallButton);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFocus(data, kWait)) << "focus on " << ClassName(FocusedControl(dialog)) << " "
                                        << GetDlgCtrlID(FocusedControl(dialog));
    EXPECT_TRUE(WaitText(app, "C:\\Acct Seven", kWait)) << "\"" << WindowTextTimed(app) << "\"";
    EXPECT_TRUE(WaitText(data, "C:\\Acct Seven\\Data", kWait));
    ExpectBoxes(dialog, "New Installation", "C:\\Acct Seven", "C:\\Acct Seven\\Data",
                "C:\\Acct Seven");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFocus(config, kWait));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFocus(install, kWait))
        << "focus on control " << GetDlgCtrlID(FocusedControl(dialog));
    Settle(dialog);
    Shot("typed-1-setup-dialog");

    RunSeen seen = Install(dialog, "typed", By::Keyboard);
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    EXPECT_EQ(0u, seen.fileLabel.rfind("C:\\Acct Seven\\", 0)) << seen.fileLabel;
    FinishWithOk(seen.finish, "typed");

    std::vector<std::string> names = ExpectedNames();
    ExpectPayloadInstalled("C:\\Acct Seven", SetupExe(), names);
    EXPECT_TRUE(DirExists("C:\\Acct Seven\\Data"));
    EXPECT_FALSE(DirExists("C:\\Korvu")) << "the default directory was made as well";
    std::vector<std::string> lines = TemplateLines("C:\\Acct Seven\\Data", "C:\\Acct Seven");
    ExpectIni("C:\\Acct Seven", lines, "C:\\Acct Seven\\Data", "C:\\Acct Seven", CrLfLines(lines));
    ExpectShortcuts("C:\\Acct Seven", kNtFamily);
    // The desktop shortcut starts the program, which finds the trimmed paths.
    StartFromShortcut(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Korvu 7.2.lnk",
                      "C:\\Acct Seven\\Data", "C:\\Acct Seven", "");
}

// ---- 3: upgrade over Korvu orb 6.3 --------------------------------------

TEST_F(E2E, UpgradeOverPreviousVersion)
{
    UpgradeOverPreviousVersion("winxp", "upgrade");
}

TEST_F(E2E, UpgradeOverPreviousVersionOnWin10)
{
    UpgradeOverPreviousVersion("win10", "win10-upgrade");
}

void E2E::UpgradeOverPreviousVersion(const std::string &version, const std::string &shots)
{
    // What Korvu orb 6.3 left: its program, its help file, a Korvu.ini the
    // user has edited, its group and its desktop shortcut (all users', as
    // on NT), and one desktop shortcut of the user's own.
    ASSERT_TRUE(CreateDirectoryA("C:\\Korvu", NULL));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu63.exe", "MZ old Korvu orb 6.3 program"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\KorvuRef.chm", "ITSF old reference"));
    const std::string oldIni = ";; Korvu orb 6.3 workstation parameters\r\n"
                               "; kept by the accounts office\r\n"
                               "\r\n"
                               "[Korvu]\r\n"
                               "    ;; where the ledgers live\r\n"
                               "Data = C:\\Korvu6\\Data\r\n"
                               "Load = 0042\r\n"
                               "Default Companies = NO\r\n"
                               "Config = C:\\Korvu6\\Cfg\r\n"
                               "Printer Lines = 66\r\n"
                               "\r\n"
                               "[Printers]\r\n"
                               "Default = LPT1\r\n";
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu.ini", oldIni));
    std::string oldGroup = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Korvu orb 6.3";
    std::string commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    std::string userDesktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_TRUE(CreateDirectoryA(oldGroup.c_str(), NULL)) << oldGroup;
    ASSERT_TRUE(MakeLink(oldGroup + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));
    ASSERT_TRUE(
        MakeLink(oldGroup + "\\KorvuReference.lnk", "C:\\Korvu\\KorvuRef.chm", "C:\\Korvu"));
    ASSERT_TRUE(MakeLink(commonDesktop + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));
    ASSERT_TRUE(MakeLink(userDesktop + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));

    StartSetup(SetupExe(), version);
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu6\\Data", "C:\\Korvu6\\Cfg");
    Settle(dialog);
    Shot(shots + "-1-setup-dialog");

    RunSeen seen = Install(dialog, shots);
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, shots);

    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    // The taken-over directories are used as they are, not made.
    EXPECT_FALSE(DirExists("C:\\Korvu6")) << "the previous data directory was created";
    ExpectIni("C:\\Korvu",
              {
                  ";; Korvu orb 6.3 workstation parameters",
                  "; kept by the accounts office",
                  "[Korvu]",
                  ";; where the ledgers live",
                  "Data=C:\\Korvu6\\Data",
                  "Load=0042",
                  "Default Companies=NO",
                  "Config=C:\\Korvu6\\Cfg",
                  "Printer Lines=66",
                  "[Printers]",
                  "Default=LPT1",
              },
              // Wine leaves a file alone when a write changes no value.
              "C:\\Korvu6\\Data", "C:\\Korvu6\\Cfg", oldIni);
    // The old version is gone, the new one in its place; the help file now
    // has its shortcut in the new group.
    EXPECT_FALSE(FileExists("C:\\Korvu\\Korvu63.exe"));
    EXPECT_FALSE(DirExists(oldGroup))
        << "old group still there holding " << Listing(ListDir(oldGroup));
    EXPECT_FALSE(FileExists(commonDesktop + "\\Korvu 6.3.lnk"));
    EXPECT_TRUE(FileExists("C:\\Korvu\\KorvuRef.chm"));
    ExpectShortcuts("C:\\Korvu", kNtFamily);
    // On NT only all users' folders are cleaned; the user's own shortcut stays.
    EXPECT_TRUE(FileExists(userDesktop + "\\Korvu 6.3.lnk"));
}

// The same on the 9x family, where the person also types a new data
// directory: Korvu.ini is then really rewritten and keeps the user's lines;
// the old group holds a file of the user's and therefore stays.
TEST_F(E2E, UpgradeOnWin98WithNewDataDirectory)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Korvu", NULL));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu63.exe", "MZ old Korvu orb 6.3 program"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu.ini", "; kept by the accounts office\r\n"
                                                   "[Korvu]\r\n"
                                                   "  ;; where the ledgers live\r\n"
                                                   "Data = C:\\Korvu6\\Data\r\n"
                                                   "Printer Lines = 66\r\n"
                                                   "Config = C:\\Korvu6\\Cfg\r\n"
                                                   "\r\n"
                                                   "[Printers]\r\n"
                                                   "Default = LPT1\r\n"));
    std::string oldGroup = SpecialFolder(CSIDL_PROGRAMS) + "\\Korvu orb 6.3";
    std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_TRUE(CreateDirectoryA(oldGroup.c_str(), NULL)) << oldGroup;
    ASSERT_TRUE(MakeLink(oldGroup + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));
    ASSERT_TRUE(WriteBytes(oldGroup + "\\Notes.txt", "the user's own notes"));
    ASSERT_TRUE(MakeLink(desktop + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));

    StartSetup(SetupExe(), "win98");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu6\\Data", "C:\\Korvu6\\Cfg");
    HWND data = GetDlgItem(dialog, kDataBox);
    ReplaceEditText(data, "C:\\Korvu\\Books");
    ASSERT_TRUE(WaitText(data, "C:\\Korvu\\Books", kWait)) << "\"" << WindowTextTimed(data) << "\"";
    RunSeen seen = Install(dialog, "upgrade98");
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, "upgrade98");

    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    EXPECT_TRUE(DirExists("C:\\Korvu\\Books")) << "the typed data directory was not made";
    EXPECT_FALSE(DirExists("C:\\Korvu6")) << "the taken-over configuration directory was made";
    std::vector<std::string> lines = {
        "; kept by the accounts office",
        "[Korvu]",
        ";; where the ledgers live",
        "Data=C:\\Korvu\\Books",
        "Printer Lines=66",
        "Config=C:\\Korvu6\\Cfg",
        "[Printers]",
        "Default=LPT1",
    };
    ExpectIni("C:\\Korvu", lines, "C:\\Korvu\\Books", "C:\\Korvu6\\Cfg", CrLfLines(lines));
    EXPECT_FALSE(FileExists("C:\\Korvu\\Korvu63.exe"));
    EXPECT_EQ("[Notes.txt]", Listing(ListDir(oldGroup))) << oldGroup;
    EXPECT_FALSE(FileExists(desktop + "\\Korvu 6.3.lnk"));
    ExpectShortcuts("C:\\Korvu", k9xFamily);
}

// On NT 3.51 Program Manager deletes the previous group with its items, and
// the previous program file goes; the new group is made the same way.
TEST_F(E2E, UpgradeOnNt351DeletesTheProgramManagerGroup)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Korvu", NULL));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu63.exe", "MZ old Korvu orb 6.3 program"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu.ini", "[Korvu]\r\nData = C:\\Korvu\\Data\r\n"
                                                   "Config = C:\\Korvu\r\n"));
    // The previous group as Wine's Program Manager keeps it, and another
    // program's group that must stay.
    std::string oldGroup = SpecialFolder(CSIDL_PROGRAMS) + "\\Korvu orb 6.3";
    std::string otherGroup = SpecialFolder(CSIDL_PROGRAMS) + "\\Ledger Tools";
    ASSERT_TRUE(CreateDirectoryA(oldGroup.c_str(), NULL)) << oldGroup;
    ASSERT_TRUE(MakeLink(oldGroup + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));
    ASSERT_TRUE(CreateDirectoryA(otherGroup.c_str(), NULL)) << otherGroup;
    ASSERT_TRUE(MakeLink(otherGroup + "\\Tool.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));

    StartSetup(SetupExe(), "nt351");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu\\Data", "C:\\Korvu");
    closeGroupWindows_ = true;
    RunSeen seen = Install(dialog, "upgrade-nt351");
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, "upgrade-nt351");

    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    EXPECT_FALSE(FileExists("C:\\Korvu\\Korvu63.exe"));
    EXPECT_FALSE(DirExists(oldGroup))
        << "old group still there holding " << Listing(ListDir(oldGroup));
    EXPECT_TRUE(FileExists(otherGroup + "\\Tool.lnk"));
    ExpectShortcuts("C:\\Korvu", kProgmanFamily);
}

// Cancel pressed while the files are being copied waits until the run is
// over, when the copy dialog is gone: the installation completes.
TEST_F(E2E, CancelDuringTheRunDoesNotInterrupt)
{
    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    bool clicked = false;
    RunSeen seen = Install(dialog, "cancel", By::Mouse, [&](HWND copy) {
        ClickWindow(GetDlgItem(copy, kCopyCancel));
        clicked = true;
    });
    ASSERT_TRUE(clicked) << "the copy dialog was not seen naming a file";
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, "cancel");
    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    std::vector<std::string> lines = TemplateLines("C:\\Korvu\\Data", "C:\\Korvu");
    ExpectIni("C:\\Korvu", lines, "C:\\Korvu\\Data", "C:\\Korvu", CrLfLines(lines));
    ExpectShortcuts("C:\\Korvu", kNtFamily);
}

// A previous installation elsewhere, found when the person types its
// directory: the label turns to "Upgradation", the boxes take its values,
// and the run cleans up there (NT 4.0, all users' folders).
TEST_F(E2E, UpgradeFoundInTypedDirectoryOnNt40)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Acct7", NULL));
    ASSERT_TRUE(WriteBytes("C:\\Acct7\\Korvu63.exe", "MZ old Korvu orb 6.3 program"));
    const std::string ini = "[Korvu]\r\nData = C:\\Acct7\\Books\r\nConfig = C:\\Acct7\r\n";
    ASSERT_TRUE(WriteBytes("C:\\Acct7\\Korvu.ini", ini));
    std::string oldGroup = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Korvu orb 6.3";
    std::string desktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    ASSERT_TRUE(CreateDirectoryA(oldGroup.c_str(), NULL)) << oldGroup;
    ASSERT_TRUE(MakeLink(oldGroup + "\\Korvu 6.3.lnk", "C:\\Acct7\\Korvu63.exe", "C:\\Acct7"));
    ASSERT_TRUE(MakeLink(desktop + "\\Korvu 6.3.lnk", "C:\\Acct7\\Korvu63.exe", "C:\\Acct7"));

    StartSetup(SetupExe(), "nt40");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "New Installation", "C:\\Korvu", "C:\\Korvu\\Data", "C:\\Korvu");
    HWND app = GetDlgItem(dialog, kAppBox);
    ReplaceEditText(app, "C:\\Acct7");
    ASSERT_TRUE(WaitText(app, "C:\\Acct7", kWait)) << "\"" << WindowTextTimed(app) << "\"";
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitText(GetDlgItem(dialog, kStateLabel), "Upgradation", kWait))
        << "\"" << ItemText(dialog, kStateLabel) << "\"";
    ExpectBoxes(dialog, "Upgradation", "C:\\Acct7", "C:\\Acct7\\Books", "C:\\Acct7");
    Settle(dialog);
    Shot("found-1-setup-dialog");

    RunSeen seen = Install(dialog, "found");
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, "found");

    ExpectPayloadInstalled("C:\\Acct7", SetupExe(), ExpectedNames());
    EXPECT_FALSE(DirExists("C:\\Acct7\\Books")) << "the taken-over data directory was made";
    EXPECT_FALSE(DirExists("C:\\Korvu")) << "the default directory was made as well";
    // Nothing changes in Korvu.ini, and Wine then leaves the file alone.
    ExpectIni("C:\\Acct7", {"[Korvu]", "Data=C:\\Acct7\\Books", "Config=C:\\Acct7"},
              "C:\\Acct7\\Books", "C:\\Acct7", ini);
    EXPECT_FALSE(FileExists("C:\\Acct7\\Korvu63.exe"));
    EXPECT_FALSE(DirExists(oldGroup))
        << "old group still there holding " << Listing(ListDir(oldGroup));
    EXPECT_FALSE(FileExists(desktop + "\\Korvu 6.3.lnk"));
    ExpectShortcuts("C:\\Acct7", kNtFamily);
}

// A Korvu.ini that cannot be written: each key's failure is told, and the
// run still makes the shortcuts and ends with the finish dialog.
TEST_F(E2E, ReadOnlyIniIsReportedAndTheRunGoesOn)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Korvu", NULL));
    const std::string ini = "[Korvu]\r\n"
                            "Data = C:\\Korvu6\\Data\r\n"
                            "Config = C:\\Korvu6\\Cfg\r\n";
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu.ini", ini));
    ASSERT_TRUE(SetFileAttributesA("C:\\Korvu\\Korvu.ini", FILE_ATTRIBUTE_READONLY));

    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu6\\Data", "C:\\Korvu6\\Cfg");
    RunSeen seen = Install(dialog, "readonly");
    const char *const messages[] = {
        "Error - Unable to write data directory path\nin Korvu.INI file. \n\n(Status:",
        "Error - Unable to write config directory path\nin Korvu.INI file. \n\n(Status:",
    };
    HWND box = seen.box;
    for (const char *message : messages) {
        ASSERT_TRUE(box) << "no message box; seen: " << DescribeScreens(setup_.pid());
        std::string text = ItemText(box, kBoxText);
        // The status is the system's error code, whichever the platform gives.
        EXPECT_EQ(0u, text.rfind(message, 0)) << "\"" << text << "\"";
        EXPECT_EQ(')', text.back()) << "\"" << text << "\"";
        EXPECT_EQ(kCaption, WindowTextNoWait(box));
        Settle(box);
        if (message == messages[0])
            Shot("readonly-2-ini-message");
        ClickWindow(GetDlgItem(box, IDOK));
        ASSERT_TRUE(WaitGone(box, kWait));
        box = message == messages[0] ? WaitScreen(setup_.pid(), Screen::MessageBox, kWait) : NULL;
    }
    FinishWithOk(WaitScreen(setup_.pid(), Screen::FinishDialog, kWait), "readonly");

    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    EXPECT_EQ(ini, ReadBytes("C:\\Korvu\\Korvu.ini")) << "the read-only Korvu.ini was changed";
    ExpectShortcuts("C:\\Korvu", kNtFamily);
}

// ---- 5: leaving, and a path that is refused -----------------------------

TEST_F(E2E, ExitSetupWritesNothing)
{
    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    // Escape does nothing: the keys after it still reach the dialog.
    HWND app = GetDlgItem(dialog, kAppBox);
    ASSERT_TRUE(BringToFront(dialog));
    ASSERT_TRUE(WaitFocus(app, kWait));
    PressKey(VK_ESCAPE);
    PressKey(VK_END);
    TypeText("x");
    EXPECT_TRUE(WaitText(app, "C:\\Korvux", kWait)) << "\"" << WindowTextTimed(app) << "\"";
    EXPECT_EQ(dialog, FindScreen(setup_.pid(), Screen::SetupDialog));
    ClickWindow(GetDlgItem(dialog, kExitButton));
    ExpectExitCode0();
    EXPECT_FALSE(DirExists("C:\\Korvu"));
    EXPECT_FALSE(DirExists("C:\\Korvux"));
    ExpectNoShortcuts();
}

// Started from a shortcut set to run minimised: the background window is
// maximised all the same (WaitForSetupDialog checks it).
TEST_F(E2E, StartedMinimisedStillShowsMaximised)
{
    StartSetup(SetupExe(), "winxp", SW_SHOWMINNOACTIVE);
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ClickWindow(GetDlgItem(dialog, kExitButton));
    ExpectExitCode0();
    EXPECT_FALSE(DirExists("C:\\Korvu"));
}

TEST_F(E2E, InvalidApplicationPathIsRefused)
{
    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    HWND app = GetDlgItem(dialog, kAppBox);
    // Two paths the rules refuse, and one on a drive that does not exist,
    // which only creating the directory finds out: the status is the
    // system's code for that (3 on Windows; Wine says 2).
    std::string missing;
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D' && missing.empty(); --letter)
        if (!(drives & (1u << (letter - 'A'))))
            missing = std::string(1, letter) + ":\\Acct7";
    ASSERT_FALSE(missing.empty()) << "every drive letter is taken";
    ASSERT_FALSE(CreateDirectoryA(missing.c_str(), NULL)) << missing;
    const std::string noDrive =
        "Unable to create application directory\n\n(Status:" + std::to_string(GetLastError()) + ")";
    const struct {
        const char *path;
        std::string message;
        const char *shot;
    } refused[] = {
        {"1:\\Acct7", "Given application path is not valid", "invalid-1-message"},
        {"C:\\Acct7:x", "Given application path is not valid", ""},
        {missing.c_str(), noDrive, "invalid-2-no-drive"},
    };
    for (const auto &refusal : refused) {
        const std::string path = refusal.path;
        ReplaceEditText(app, path);
        ASSERT_TRUE(WaitText(app, path, kWait))
            << "typed text arrived as \"" << WindowTextTimed(app) << "\"";
        ClickWindow(GetDlgItem(dialog, kInstallButton));
        HWND box = WaitScreen(setup_.pid(), Screen::MessageBox, kWait);
        AnswerBox(box, refusal.message, refusal.shot);
        // The dialog stays, with the text as typed.
        EXPECT_TRUE(IsWindowVisible(dialog)) << path;
        EXPECT_TRUE(IsWindowEnabled(dialog)) << path;
        EXPECT_EQ(path, WindowTextTimed(app));
        EXPECT_EQ(dialog, FindScreen(setup_.pid(), Screen::SetupDialog));
        EXPECT_FALSE(DirExists("C:\\Acct7")) << path;
        EXPECT_FALSE(DirExists("C:\\Korvu")) << path;
    }
    ClickWindow(GetDlgItem(dialog, kExitButton));
    ExpectExitCode0();
    EXPECT_FALSE(DirExists("C:\\Acct7"));
    EXPECT_FALSE(DirExists("C:\\Korvu"));
    ExpectNoShortcuts();
}

// ---- The folder browser behind the Change buttons ------------------------

std::string ChildTexts(HWND window)
{
    std::string texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts += "[" + ClassName(child) + " " + std::to_string(GetDlgCtrlID(child)) + " \"" +
                 WindowTextTimed(child) + "\"] ";
    return texts;
}

// The browser of a Change button, with the title that button gives it.
HWND OpenBrowser(DWORD pid, HWND dialog, int button, const std::string &title)
{
    ClickWindow(GetDlgItem(dialog, button));
    HWND browser = WaitScreen(pid, Screen::FolderBrowser, kWait);
    EXPECT_TRUE(browser) << "no folder browser; seen: " << DescribeScreens(pid);
    if (browser) {
        std::string texts = ChildTexts(browser);
        EXPECT_NE(std::string::npos, texts.find("\"" + title + "\"")) << texts;
        EXPECT_EQ(dialog, GetWindow(browser, GW_OWNER)) << "the setup dialog owns the browser";
    }
    return browser;
}

TEST_F(E2E, FolderBrowserChoosesAndCancels)
{
    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    HWND app = GetDlgItem(dialog, kAppBox);
    HWND data = GetDlgItem(dialog, kDataBox);
    HWND config = GetDlgItem(dialog, kConfigBox);

    // The browser opens at the desktop, which OK then chooses.
    HWND browser =
        OpenBrowser(setup_.pid(), dialog, kChangeData, "Please Select Data Directory and Press Ok");
    ASSERT_TRUE(browser);
    Settle(browser);
    Shot("browser-1-data");
    ClickWindow(GetDlgItem(browser, IDOK));
    ASSERT_TRUE(WaitGone(browser, kWait));
    std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    EXPECT_TRUE(WaitText(data, desktop, kWait)) << "\"" << WindowTextTimed(data) << "\"";

    // A chosen data directory stays when the application directory changes;
    // the untouched configuration box follows.
    ReplaceEditText(app, "C:\\Acct7");
    ASSERT_TRUE(WaitText(app, "C:\\Acct7", kWait)) << "\"" << WindowTextTimed(app) << "\"";
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitText(config, "C:\\Acct7", kWait)) << "\"" << WindowTextTimed(config) << "\"";
    EXPECT_EQ(desktop, WindowTextTimed(data));

    // Cancel changes nothing.
    const struct {
        int button;
        const char *title;
    } cancelled[] = {
        {kChangeConfig, "Please Select Configaration Directory and Press Ok"},
        {kChangeApp, "Please Select Application Directory and Press Ok"},
    };
    for (const auto &change : cancelled) {
        browser = OpenBrowser(setup_.pid(), dialog, change.button, change.title);
        ASSERT_TRUE(browser);
        ClickWindow(GetDlgItem(browser, IDCANCEL));
        ASSERT_TRUE(WaitGone(browser, kWait));
        ExpectBoxes(dialog, "New Installation", "C:\\Acct7", desktop, "C:\\Acct7");
    }

    ClickWindow(GetDlgItem(dialog, kExitButton));
    ExpectExitCode0();
    EXPECT_FALSE(DirExists("C:\\Acct7"));
    EXPECT_FALSE(DirExists("C:\\Korvu"));
    ExpectNoShortcuts();
}

// ---- 6: a damaged payload -------------------------------------------------

uint32_t Crc32(const std::string &bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// The payload's check value (resource 122): its length and CRC-32.
std::string CheckValueOf(const std::string &payload)
{
    std::string value(8, '\0');
    uint32_t words[2] = {(uint32_t)payload.size(), Crc32(payload)};
    for (int i = 0; i < 8; i++)
        value[i] = (char)(words[i / 4] >> (8 * (i % 4)));
    return value;
}

// A copy of setup.exe with the byte at `offset` of its payload flipped, as
// a bad download would have it; empty (and a failure) if it cannot be made.
// `matchingCheck`: the check value made to match the damaged payload, as in
// a setup.exe built from bad bytes, so that only the extraction can find it.
std::string DamagedCopy(const std::string &payload, size_t offset, bool matchingCheck = true)
{
    std::string bad = ScratchDir() + "setupbad.exe";
    std::string image = ReadBytes(SetupExe());
    size_t at = image.find(payload);
    EXPECT_NE(std::string::npos, at) << "payload not found in the file";
    if (at == std::string::npos)
        return "";
    image[at + offset] ^= 0xFF;
    if (matchingCheck) {
        std::string check = CheckValueOf(payload);
        size_t checkAt = image.find(check);
        EXPECT_NE(std::string::npos, checkAt) << "no check value in the file";
        if (checkAt != std::string::npos)
            image.replace(checkAt, 8, CheckValueOf(image.substr(at, payload.size())));
    }
    EXPECT_TRUE(WriteBytes(bad, image)) << bad;
    std::string error;
    std::string badPayload = PayloadOf(bad, &error);
    EXPECT_EQ(payload.size(), badPayload.size()) << error;
    EXPECT_NE(payload, badPayload);
    return bad;
}

// After an internal error: no finish dialog, the program ends by itself.
void E2E::ExpectEndWithoutFinish()
{
    DWORD start = GetTickCount();
    while (setup_.Running() && (int)(GetTickCount() - start) < kWait) {
        ASSERT_FALSE(FindScreen(setup_.pid(), Screen::FinishDialog))
            << "finish dialog after the error";
        Sleep(20);
    }
    ExpectExitCode0();
}

TEST_F(E2E, DamagedPayloadStopsWithInternalError13)
{
    // One byte in the middle of the last file's stream.
    std::string error;
    std::string payload = PayloadOf(SetupExe(), &error);
    ASSERT_FALSE(payload.empty()) << error;
    std::vector<Record> records = RecordsOf(payload);
    ASSERT_GE(records.size(), 2u) << "the payload needs two files, one before the damaged one";
    const Record &damaged = records.back();
    std::string bad = DamagedCopy(payload, damaged.streamOffset + damaged.streamLength / 2);
    ASSERT_FALSE(bad.empty());

    StartSetup(bad, "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    RunSeen seen = Install(dialog, "damaged");
    ASSERT_FALSE(seen.finish) << "the finish dialog came after a damaged payload";
    AnswerBox(seen.box, "Internal Error 13\n\n(Status:0)", "damaged-3-internal-error");
    ExpectEndWithoutFinish();

    // Nothing is left: no file, not even the directories the run made;
    // nothing of the later steps happened.
    EXPECT_FALSE(DirExists("C:\\Korvu")) << Listing(ListDir("C:\\Korvu"));
    ExpectNoShortcuts();
}

TEST_F(E2E, DamagedMagicStopsWithInternalError10)
{
    std::string error;
    std::string payload = PayloadOf(SetupExe(), &error);
    ASSERT_FALSE(payload.empty()) << error;
    std::string bad = DamagedCopy(payload, 0);
    ASSERT_FALSE(bad.empty());

    StartSetup(bad, "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    RunSeen seen = Install(dialog, "magic");
    ASSERT_FALSE(seen.finish) << "the finish dialog came after a damaged payload";
    AnswerBox(seen.box, "Internal Error 10\n\n(Status:0)", "");
    ExpectEndWithoutFinish();

    // No file was written, and the directories the dialog made are gone.
    EXPECT_FALSE(DirExists("C:\\Korvu")) << Listing(ListDir("C:\\Korvu"));
    ExpectNoShortcuts();
}

// ---- 7: unattended installation ---------------------------------------------

std::string LogOf(const std::string &path)
{
    return ReadBytes(path);
}

void ExpectLogHas(const std::string &log, const std::string &line)
{
    EXPECT_NE(std::string::npos, log.find(line + "\r\n")) << "no line \"" << line << "\" in:\n"
                                                          << log;
}

// Silent on the 9x family, into a directory with blanks given quoted, with
// a log: no window, status 0, everything the dialog's run makes.
TEST_F(E2E, SilentFreshInstallWin98WithLog)
{
    const std::string app = "C:\\Program Files\\Korvu ark";
    const std::string log = "C:\\korvu setup.log";
    ASSERT_TRUE(WriteBytes(log, "an earlier run\r\n"));
    ASSERT_EQ(0, RunSilent(SetupExe(), "win98", "/S /D=\"" + app + "\" \"/LOG=" + log + "\""));
    ExpectPayloadInstalled(app, SetupExe(), ExpectedNames());
    EXPECT_EQ(app + "\\Data", ProfileValue(app + "\\Korvu.ini", "Korvu", "Data"));
    EXPECT_EQ(app, ProfileValue(app + "\\Korvu.ini", "Korvu", "Config"));
    ExpectShortcuts(app, k9xFamily);

    std::string text = LogOf(log);
    EXPECT_EQ(0u, text.find("an earlier run\r\nKorvu ark 7.2 Setup /S /D=")) << text;
    ExpectLogHas(text, "Application directory " + app + "\\");
    ExpectLogHas(text, "Data directory " + app + "\\Data");
    ExpectLogHas(text, "Configuration directory " + app);
    for (const std::string &name : ExpectedNames())
        ExpectLogHas(text, "File " + app + "\\" + name + " " +
                               std::to_string(ReadBytes(ExpectedDir() + name).size()));
    ExpectLogHas(text, "Korvu.ini Data " + app + "\\Data");
    ExpectLogHas(text, "Korvu.ini Config " + app);
    ExpectLogHas(text, "Shortcut " + SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvu 7.2.lnk");
    ExpectLogHas(text, "Exit status 0");
}

// Lower-case switches in any order on NT 4.0; the data and configuration
// directories given apart from the application directory.
TEST_F(E2E, SilentFreshInstallNt40LowerCaseSwitches)
{
    ASSERT_EQ(0, RunSilent(SetupExe(), "nt40",
                           "/config=\"C:\\Korvu Cfg\" /data=C:\\Shared\\Ledgers /d=C:\\Acct7 /s"));
    ExpectPayloadInstalled("C:\\Acct7", SetupExe(), ExpectedNames());
    EXPECT_TRUE(DirExists("C:\\Shared\\Ledgers"));
    EXPECT_TRUE(DirExists("C:\\Korvu Cfg"));
    EXPECT_EQ("C:\\Shared\\Ledgers", ProfileValue("C:\\Acct7\\Korvu.ini", "Korvu", "Data"));
    EXPECT_EQ("C:\\Korvu Cfg", ProfileValue("C:\\Acct7\\Korvu.ini", "Korvu", "Config"));
    ExpectShortcuts("C:\\Acct7", kNtFamily);
}

// Over a previous installation: its Data and Config taken over unchecked,
// Korvu orb 6.3's program and shortcuts removed.
TEST_F(E2E, SilentUpgradeTakesOverThePreviousDirectories)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\Korvu", NULL));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Korvu63.exe", "MZ old"));
    ASSERT_TRUE(
        WriteBytes("C:\\Korvu\\Korvu.ini",
                   "[Korvu]\r\nData = \\\\server\\korvu\\Data\r\nConfig = C:\\Korvu6\\Cfg\r\n"));
    std::string oldGroup = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Korvu orb 6.3";
    ASSERT_TRUE(CreateDirectoryA(oldGroup.c_str(), NULL)) << oldGroup;
    ASSERT_TRUE(MakeLink(oldGroup + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));
    std::string log = ScratchDir() + "upgrade.log";
    ASSERT_EQ(0, RunSilent(SetupExe(), "winxp", "/S /LOG=" + log));
    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    EXPECT_EQ("\\\\server\\korvu\\Data", ProfileValue("C:\\Korvu\\Korvu.ini", "Korvu", "Data"));
    EXPECT_EQ("C:\\Korvu6\\Cfg", ProfileValue("C:\\Korvu\\Korvu.ini", "Korvu", "Config"));
    EXPECT_FALSE(DirExists("C:\\Korvu6")) << "a taken-over directory is not created";
    EXPECT_FALSE(FileExists("C:\\Korvu\\Korvu63.exe"));
    EXPECT_FALSE(DirExists(oldGroup));
    std::string text = LogOf(log);
    ExpectLogHas(text, "Data directory \\\\server\\korvu\\Data");
    ExpectLogHas(text, "Removed C:\\Korvu\\Korvu63.exe");
    ExpectLogHas(text, "Removed " + oldGroup);
}

// Every kind of refused directory: status 2, the dialog's words in the log,
// and nothing installed. Usage errors: status 1, nothing at all.
TEST_F(E2E, SilentRefusalsAndUsageErrors)
{
    std::string log = ScratchDir() + "refused.log";
    // A drive neither listed nor reachable: the install tests map Q: to a
    // small disk of their own now and then, so no letter is taken for granted.
    std::string drive;
    DWORD drives = GetLogicalDrives();
    for (char letter = 'P'; letter > 'D' && drive.empty(); --letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (!(drives & (1u << (letter - 'A'))) &&
            GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR)
            drive = std::string(1, letter) + ":";
    }
    ASSERT_FALSE(drive.empty()) << "every drive letter is taken";
    const std::string app = "/D=" + drive + "\\Korvu", data = "/DATA=" + drive + "\\Data",
                      config = "/CONFIG=" + drive + "\\Cfg";
    struct Case {
        const char *args;
        const char *message;
    } cases[] = {
        {"/D=Korvu", "Given application path is not valid"},
        {"/D=C:\\Acct7:x", "Given application path is not valid"},
        {"/DATA=1:\\Data", "Given data path is not valid"},
        {"/CONFIG=C:\\a:b", "Given configarutation path is not valid"},
        // The status is the system's (3 on Windows, 2 on Wine for a missing drive).
        {app.c_str(), "Unable to create application directory  (Status:"},
        {data.c_str(), "Unable to create data directory  (Status:"},
        {config.c_str(), "Unable to create configarutation directory  (Status:"},
    };
    for (const Case &c : cases) {
        DeleteFileA(log.c_str());
        EXPECT_EQ(2, RunSilent(SetupExe(), "winxp", std::string("/S ") + c.args + " /LOG=" + log))
            << c.args;
        std::string text = LogOf(log);
        EXPECT_NE(std::string::npos, text.find("\r\n" + std::string(c.message))) << text;
        ExpectLogHas(text, "Exit status 2");
        EXPECT_EQ(std::string::npos, text.find("File ")) << c.args << ": " << text;
        EXPECT_FALSE(FileExists("C:\\Korvu\\Korvu72.exe")) << c.args;
    }
    RemoveTree("C:\\Korvu");
    for (const char *args : {"/S /X", "/S /D=", "/S /D=\"C:\\open", "/S /S", "/s /?",
                             "/D=C:\\Program Files\\Korvu /S"}) {
        EXPECT_EQ(1, RunSilent(SetupExe(), "winxp", args)) << args;
        EXPECT_FALSE(DirExists("C:\\Korvu")) << args;
        EXPECT_FALSE(DirExists("C:\\Program Files\\Korvu")) << args;
    }
}

// Without /S the directories given are presets: the dialog shows them, and
// following the application box leaves the given data box alone.
TEST_F(E2E, PresetsWithoutSilentFillTheDialog)
{
    StartSetup(SetupExe(), "winxp", SW_SHOWNORMAL,
               "/d=\"C:\\Pre set\" /DATA=\\\\server\\korvu\\Data");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ("C:\\Pre set", ItemText(dialog, kAppBox));
    EXPECT_EQ("\\\\server\\korvu\\Data", ItemText(dialog, kDataBox));
    EXPECT_EQ("C:\\Pre set", ItemText(dialog, kConfigBox));
    ReplaceEditText(GetDlgItem(dialog, kAppBox), "C:\\Other");
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitText(GetDlgItem(dialog, kConfigBox), "C:\\Other", kWait));
    EXPECT_EQ("\\\\server\\korvu\\Data", ItemText(dialog, kDataBox));
    ClickWindow(GetDlgItem(dialog, kExitButton));
    ExpectExitCode0();
    EXPECT_FALSE(DirExists("C:\\Pre set"));

    // The usage, interactive: a box, then the program ends.
    StartSetup(SetupExe(), "winxp", SW_SHOWNORMAL, "/?");
    HWND box = WaitScreen(setup_.pid(), Screen::MessageBox, kWait);
    AnswerBox(box, "Usage: setup [/S] [/D=dir] [/DATA=dir] [/CONFIG=dir] [/LOG=file]", "");
    ExpectExitCode0();
}

const char kDamaged[] = "The setup program is damaged and cannot install Korvu ark 7.2. "
                        "Obtain a new copy of the setup program.";

// One flipped byte in the last file: found before anything is shown or
// made, interactive (a box) and silent (status 3, the same words logged).
TEST_F(E2E, DamagedCopyIsRefusedBeforeAnythingIsWritten)
{
    std::string error;
    std::string payload = PayloadOf(SetupExe(), &error);
    ASSERT_FALSE(payload.empty()) << error;
    std::string bad = DamagedCopy(payload, payload.size() - 1, false);
    ASSERT_FALSE(bad.empty());

    StartSetup(bad, "winxp");
    HWND box = WaitScreen(setup_.pid(), Screen::MessageBox, kWait);
    EXPECT_FALSE(FindScreen(setup_.pid(), Screen::Background));
    AnswerBox(box, kDamaged, "damaged-check");
    ExpectExitCode0();
    EXPECT_FALSE(DirExists("C:\\Korvu"));

    std::string log = ScratchDir() + "damaged.log";
    EXPECT_EQ(3, RunSilent(bad, "winxp", "/S /LOG=" + log));
    ExpectLogHas(LogOf(log), kDamaged);
    ExpectLogHas(LogOf(log), "Exit status 3");
    EXPECT_FALSE(DirExists("C:\\Korvu"));
    ExpectNoShortcuts();

    // The uninstaller it carries (CMPFILE 131) is covered as well: its last
    // byte changed, and nothing is installed.
    std::string uninstaller = PayloadOf(SetupExe(), &error, 131);
    ASSERT_FALSE(uninstaller.empty()) << error;
    std::string image = ReadBytes(SetupExe());
    size_t at = image.find(uninstaller);
    ASSERT_NE(std::string::npos, at);
    image[at + uninstaller.size() - 1] ^= 0xFF;
    ASSERT_TRUE(WriteBytes(bad, image)) << bad;
    EXPECT_EQ(3, RunSilent(bad, "winxp", "/S"));
    EXPECT_FALSE(DirExists("C:\\Korvu"));
}

// The box with Retry and Cancel that a file in use brings up.
static HWND WaitForRetryBox(DWORD pid)
{
    for (DWORD waited = GetTickCount(); (int)(GetTickCount() - waited) < kRunWait; Sleep(50))
        for (HWND window : VisibleWindows(pid))
            if (GetDlgItem(window, IDRETRY) && GetDlgItem(window, IDCANCEL))
                return window;
    return NULL;
}

// Korvu72.exe held open by another program (this one). Interactive: Retry
// once it let go, and the run ends as a clean one. Silent: 30 seconds of
// retries, then status 4 and the file named in the log.
TEST_F(E2E, FileInUseRetryAndSilentTimeOut)
{
    const std::string program = "C:\\Korvu\\Korvu72.exe";
    ASSERT_TRUE(CreateDirectoryA("C:\\Korvu", NULL));
    ASSERT_TRUE(WriteBytes(program, "MZ running"));
    HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const std::string inUse = "The file " + program +
                              " is in use by another program. Close "
                              "Korvu ark 7.2 on this computer and press Retry, or press Cancel "
                              "to stop the installation.";

    std::string log = ScratchDir() + "inuse.log";
    DWORD start = GetTickCount();
    EXPECT_EQ(4, RunSilent(SetupExe(), "winxp", "/S /LOG=" + log));
    EXPECT_GE(GetTickCount() - start, 30000u) << "gave up before 30 seconds";
    std::string text = LogOf(log);
    ExpectLogHas(text, inUse);
    ExpectLogHas(text, "Internal Error 13  (Status:0)");
    ExpectLogHas(text, "Exit status 4");
    // The held file (unchanged: no one else may open it) and nothing else:
    // the Data directory the run made is gone again.
    EXPECT_EQ("[Korvu72.exe]", Listing(ListDir("C:\\Korvu")));

    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ClickWindow(GetDlgItem(dialog, kInstallButton));
    HWND box = WaitForRetryBox(setup_.pid());
    ASSERT_TRUE(box) << DescribeScreens(setup_.pid());
    EXPECT_EQ(kCaption, WindowTextNoWait(box));
    EXPECT_EQ(inUse, ItemText(box, kBoxText));
    Settle(box);
    Shot("in-use-retry");
    CloseHandle(held);
    ClickWindow(GetDlgItem(box, IDRETRY));
    HWND finish = WaitScreen(setup_.pid(), Screen::FinishDialog, kRunWait);
    ASSERT_TRUE(finish) << DescribeScreens(setup_.pid());
    ClickWindow(GetDlgItem(finish, kFinishOk));
    ExpectExitCode0();
    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
}

// ---- 8: a failed installation leaves the computer as it was -----------------

// Every file and folder under `dir` with its bytes ("<folder>" for one).
std::map<std::string, std::string> TreeOf(const std::string &dir, const std::string &under = "")
{
    std::map<std::string, std::string> tree;
    for (const std::string &name : ListDir(dir)) {
        std::string path = dir + "\\" + name;
        if (DirExists(path)) {
            tree[under + name + "\\"] = "<folder>";
            std::map<std::string, std::string> inner = TreeOf(path, under + name + "\\");
            tree.insert(inner.begin(), inner.end());
        } else {
            tree[under + name] = ReadBytes(path);
        }
    }
    return tree;
}

// The entries of `after` that are new or changed against `before`, and those gone.
std::string TreeChanges(const std::map<std::string, std::string> &before,
                        const std::map<std::string, std::string> &after)
{
    std::string changes;
    for (const auto &entry : after) {
        auto old = before.find(entry.first);
        if (old == before.end())
            changes += " added " + entry.first;
        else if (old->second != entry.second)
            changes += " changed " + entry.first;
    }
    for (const auto &entry : before)
        if (!after.count(entry.first))
            changes += " gone " + entry.first;
    return changes;
}

class Transaction : public E2E {
protected:
    // The previous build installed in C:\Korvu: this build's files, each
    // then made different, once its registration has ended.
    void InstallPreviousBuild()
    {
        ASSERT_EQ(0, RunSilent(SetupExe(), "winxp", "/S"));
        WaitForRegistration();
        for (const std::string &name : ListDir("C:\\Korvu")) {
            if (FileExists("C:\\Korvu\\" + name) && name != "Korvu.ini" && name != "Uninst72.dat") {
                ASSERT_TRUE(WriteBytes("C:\\Korvu\\" + name, "previous build of " + name));
            }
        }
    }
    // setup.exe starts the uninstaller to register itself and does not wait.
    void WaitForRegistration()
    {
        DWORD start = GetTickCount();
        while (ReadBytes("C:\\Korvu\\Uninst72.dat").find("\nKey=") == std::string::npos) {
            ASSERT_LT((int)(GetTickCount() - start), kRunWait) << "the registration did not end";
            Sleep(50);
        }
    }
    // Nothing in C:\Korvu but a clean installation's files.
    void ExpectOnlyTheInstallation()
    {
        std::vector<std::string> want = ExpectedNames();
        for (const char *name : {"Data", "Korvu.ini", "Uninst72.dat", "Uninst72.exe"})
            want.push_back(name);
        std::sort(want.begin(), want.end());
        EXPECT_EQ(Listing(want), Listing(ListDir("C:\\Korvu")));
    }

    // The payload's last file held open, as another program would, so that
    // putting it in place fails.
    HANDLE HoldLastFile()
    {
        std::string last = "C:\\Korvu\\" + ExpectedNames().back();
        return CreateFileA(last.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    }
};

// The last payload file held by another program through a silent upgrade,
// on the 9x family: 30 seconds of waiting, status 4, and every file and
// folder as before, nothing added.
TEST_F(Transaction, SilentUpgradeWithTheLastFileHeldChangesNothing)
{
    InstallPreviousBuild();
    std::map<std::string, std::string> before = TreeOf("C:\\Korvu");
    HANDLE held = HoldLastFile();
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(4, RunSilent(SetupExe(), "win98", "/S"));
    CloseHandle(held);
    EXPECT_EQ("", TreeChanges(before, TreeOf("C:\\Korvu")));
}

// The same interactively: Cancel in the Retry box, then error 13, and the
// previous build as it was.
TEST_F(Transaction, CancelInTheRetryBoxChangesNothing)
{
    InstallPreviousBuild();
    std::map<std::string, std::string> before = TreeOf("C:\\Korvu");
    HANDLE held = HoldLastFile();
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    StartSetup(SetupExe(), "winxp");
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ClickWindow(GetDlgItem(dialog, kInstallButton));
    HWND box = WaitForRetryBox(setup_.pid());
    ASSERT_TRUE(box) << DescribeScreens(setup_.pid());
    ClickWindow(GetDlgItem(box, IDCANCEL));
    EXPECT_TRUE(WaitGone(box, kWait));
    AnswerBox(WaitScreen(setup_.pid(), Screen::MessageBox, kRunWait),
              "Internal Error 13\n\n(Status:0)", "");
    ExpectEndWithoutFinish();
    CloseHandle(held);
    EXPECT_EQ("", TreeChanges(before, TreeOf("C:\\Korvu")));
}

// A fresh installation onto a drive too small (Q:, the tests' small tmpfs):
// status 4, and nothing of it on the drive, its folders neither.
TEST_F(Transaction, FullDiskLeavesNothingOnTheDrive)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, &free) ||
        total.QuadPart > 4u * 1024 * 1024)
        GTEST_SKIP() << "drive Q: is not the small tmpfs (the fixture could not mount it)";
    RemoveTree("Q:\\Korvu");
    ASSERT_EQ("[]", Listing(ListDir("Q:")));
    EXPECT_EQ(4, RunSilent(SetupExe(), "winxp", "/S /D=Q:\\Korvu"));
    EXPECT_EQ("[]", Listing(ListDir("Q:")));
    ExpectNoShortcuts();
}

// What a run killed part-way leaves (expanded files, or files half put in
// place beside their backups, with the mark) is completed or undone by the
// next run, which then installs as usual: status 0, nothing else left.
TEST_F(Transaction, KilledRunIsCleanedUpByTheNextRun)
{
    std::vector<std::string> names = ExpectedNames();
    ASSERT_GE(names.size(), 3u);
    for (bool placing : {false, true}) {
        SCOPED_TRACE(placing ? "killed while putting files in place" : "killed while expanding");
        CleanState();
        InstallPreviousBuild();
        for (size_t i = 0; i < names.size(); i++) {
            std::string target = "C:\\Korvu\\" + names[i];
            std::string fresh = ReadBytes(ExpectedDir() + names[i]);
            if (!placing) {
                // Expanding the third file: the first two whole, it cut short.
                if (i < 3) {
                    ASSERT_TRUE(WriteBytes("C:\\Korvu\\~kv+" + names[i],
                                           i < 2 ? fresh : fresh.substr(0, fresh.size() / 2)));
                }
            } else if (i < 2) {
                ASSERT_TRUE(MoveFileA(target.c_str(), ("C:\\Korvu\\~kv-" + names[i]).c_str()));
                ASSERT_TRUE(WriteBytes(target, fresh));
            } else {
                ASSERT_TRUE(WriteBytes("C:\\Korvu\\~kv+" + names[i], fresh));
            }
        }
        if (placing) {
            ASSERT_TRUE(WriteBytes("C:\\Korvu\\~kv!", ""));
        }
        EXPECT_EQ(0, RunSilent(SetupExe(), "winxp", "/S"));
        WaitForRegistration();
        ExpectPayloadInstalled("C:\\Korvu", SetupExe(), names);
        ExpectOnlyTheInstallation();
    }
}

} // namespace
