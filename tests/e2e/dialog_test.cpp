// The setup dialog: a typed directory, leaving, a refused path, the folder
// browser behind the Change buttons.
#include "scenario.h"

using namespace e2e;

namespace {

// ---- 2: a typed directory with spaces around it --------------------------

TEST_F(E2E, TypedDirectoryWithSpacesIsTrimmed)
{
    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
    ASSERT_TRUE(dialog);
    HWND app = GetDlgItem(dialog, kAppBox);
    ASSERT_TRUE(TypeOver(app, "  C:\\Acct Seven  ", kWait))
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

// ---- 5: leaving, and a path that is refused -----------------------------

TEST_F(E2E, ExitSetupWritesNothing)
{
    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
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
    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
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
        ASSERT_TRUE(TypeOver(app, path, kWait))
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
    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
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
    ASSERT_TRUE(TypeOver(app, "C:\\Acct7", kWait)) << "\"" << WindowTextTimed(app) << "\"";
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

} // namespace
