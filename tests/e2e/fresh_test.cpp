// Fresh installations on each family of Windows, and none on Windows 3.1.
#include "scenario.h"

#include <set>

using namespace e2e;

namespace {

// ---- 1 and 4: fresh installation on each family -------------------------

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

} // namespace
