// The E2E fixture's steps: starting setup.exe, waiting for its windows,
// the run from Install to its end, the answers a person gives.
#include "scenario.h"

#include <shellapi.h>

#include <algorithm>

#include "groupwindows.h"

using namespace e2e;

namespace {

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

// The box with Retry and Cancel that a file in use brings up.
HWND WaitForRetryBox(DWORD pid)
{
    for (DWORD waited = GetTickCount(); (int)(GetTickCount() - waited) < kRunWait; Sleep(50))
        for (HWND window : VisibleWindows(pid))
            if (GetDlgItem(window, IDRETRY) && GetDlgItem(window, IDCANCEL))
                return window;
    return NULL;
}

} // namespace

std::string BaseName(const std::string &path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

std::vector<std::string> ExpectedNames()
{
    return ListDir(ExpectedDir());
}

std::string SetupExe()
{
    return RunDir() + "setup.exe";
}

std::string MakePreviousShortcuts(int programs, int desktop, const std::string &app)
{
    std::string group = SpecialFolder(programs) + "\\Korvu orb 6.3";
    std::string program = app + "\\Korvu63.exe";
    bool made = CreateDirectoryA(group.c_str(), NULL) &&
                MakeLink(group + "\\Korvu 6.3.lnk", program, app) &&
                (desktop < 0 || MakeLink(SpecialFolder(desktop) + "\\Korvu 6.3.lnk", program, app));
    EXPECT_TRUE(made) << group;
    return made ? group : "";
}

void E2E::SetUp()
{
    CoInitialize(NULL);
    CleanState();
}

void E2E::TearDown()
{
    app_.Kill();
    setup_.Kill();
    CleanState();
    CoUninitialize();
}

void E2E::StartSetup(const std::string &exe, const std::string &version, WORD show,
                     const std::string &args)
{
    SetReportedVersion(BaseName(exe), version);
    ASSERT_TRUE(setup_.Start(exe, RunDir(), show, args))
        << exe << ": CreateProcess error " << setup_.error();
}

int E2E::RunSilent(const std::string &exe, const std::string &version, const std::string &args)
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

HWND E2E::WaitForSetupDialog()
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

HWND E2E::OpenSetupDialog(const std::string &exe, const std::string &version)
{
    StartSetup(exe, version);
    return HasFatalFailure() ? NULL : WaitForSetupDialog();
}

void E2E::ExpectBoxes(HWND dialog, const std::string &label, const std::string &app,
                      const std::string &data, const std::string &config)
{
    EXPECT_EQ(label, ItemText(dialog, kStateLabel));
    EXPECT_EQ(app, ItemText(dialog, kAppBox));
    EXPECT_EQ(data, ItemText(dialog, kDataBox));
    EXPECT_EQ(config, ItemText(dialog, kConfigBox));
}

RunSeen E2E::Install(HWND dialog, const std::string &shotPrefix, By by,
                     const std::function<void(HWND copy)> &whileHeld)
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
    EXPECT_TRUE(finishPassed || !closeGroupWindows_) << "the run ended before its finish dialog";
    closeGroupWindows_ = false;
    return seen;
}

void E2E::FinishWithOk(HWND finish, const std::string &shotPrefix, By by)
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

void E2E::InstallToFinish(HWND dialog, const std::string &shotPrefix)
{
    RunSeen seen = Install(dialog, shotPrefix);
    ASSERT_FALSE(seen.box) << "message box: " << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, shotPrefix);
}

// Program Manager shows the group it made: on Windows while it makes it,
// before setup.exe goes on. Wine's shell opens a folder window for it in
// another process a moment later, which takes the foreground whatever
// show command was asked for (groupwindows.h). Waited for while setup.exe
// is held before its finish dialog shows, as on Windows, photographed
// and closed.
void E2E::CloseGroupWindow(const std::string &shot)
{
    std::vector<std::string> titles;
    EXPECT_TRUE(CloseGroupWindows(kWait, &titles, [&](const std::vector<HWND> &windows) {
        Settle(windows.back());
        Shot(shot);
    })) << "a group window neither came nor went";
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), "Korvu ark 7.2"))
        << "Program Manager did not show the group";
}

void E2E::ExpectExitCode0()
{
    DWORD code = 12345;
    ASSERT_TRUE(setup_.WaitExit(kWait, &code))
        << "setup.exe still runs; seen: " << DescribeScreens(setup_.pid());
    EXPECT_EQ(0u, code);
}

void E2E::AnswerBox(HWND box, const std::string &text, const std::string &shot)
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

HWND E2E::InstallUntilRetryBox()
{
    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
    if (!dialog)
        return NULL;
    ClickWindow(GetDlgItem(dialog, kInstallButton));
    HWND box = WaitForRetryBox(setup_.pid());
    EXPECT_TRUE(box) << "no Retry box; seen: " << DescribeScreens(setup_.pid());
    return box;
}
