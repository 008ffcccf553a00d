// Upgrades over the previous version, and a read-only Korvu.ini.
#include "scenario.h"

using namespace e2e;

namespace {

// ---- 3: upgrade over Korvu orb 6.3 --------------------------------------

TEST_F(E2E, UpgradeOverPreviousVersion)
{
    UpgradeOverPreviousVersion("winxp", "upgrade");
}

TEST_F(E2E, UpgradeOverPreviousVersionOnWin10)
{
    UpgradeOverPreviousVersion("win10", "win10-upgrade");
}

} // namespace

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
    std::string oldGroup =
        MakePreviousShortcuts(CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, "C:\\Korvu");
    ASSERT_FALSE(oldGroup.empty());
    std::string commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    std::string userDesktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_TRUE(
        MakeLink(oldGroup + "\\KorvuReference.lnk", "C:\\Korvu\\KorvuRef.chm", "C:\\Korvu"));
    ASSERT_TRUE(MakeLink(userDesktop + "\\Korvu 6.3.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));

    StartSetup(SetupExe(), version);
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu6\\Data", "C:\\Korvu6\\Cfg");
    Settle(dialog);
    Shot(shots + "-1-setup-dialog");

    ASSERT_NO_FATAL_FAILURE(InstallToFinish(dialog, shots));

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
    ExpectPreviousGone("C:\\Korvu", oldGroup);
    EXPECT_FALSE(FileExists(commonDesktop + "\\Korvu 6.3.lnk"));
    EXPECT_TRUE(FileExists("C:\\Korvu\\KorvuRef.chm"));
    ExpectShortcuts("C:\\Korvu", kNtFamily);
    // On NT only all users' folders are cleaned; the user's own shortcut stays.
    EXPECT_TRUE(FileExists(userDesktop + "\\Korvu 6.3.lnk"));
}

namespace {

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
    std::string oldGroup =
        MakePreviousShortcuts(CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, "C:\\Korvu");
    ASSERT_FALSE(oldGroup.empty());
    std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_TRUE(WriteBytes(oldGroup + "\\Notes.txt", "the user's own notes"));

    HWND dialog = OpenSetupDialog(SetupExe(), "win98");
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu6\\Data", "C:\\Korvu6\\Cfg");
    ASSERT_TRUE(TypeOver(GetDlgItem(dialog, kDataBox), "C:\\Korvu\\Books", kWait))
        << "\"" << ItemText(dialog, kDataBox) << "\"";
    ASSERT_NO_FATAL_FAILURE(InstallToFinish(dialog, "upgrade98"));

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
    std::string oldGroup = MakePreviousShortcuts(CSIDL_PROGRAMS, -1, "C:\\Korvu");
    ASSERT_FALSE(oldGroup.empty());
    std::string otherGroup = SpecialFolder(CSIDL_PROGRAMS) + "\\Ledger Tools";
    ASSERT_TRUE(CreateDirectoryA(otherGroup.c_str(), NULL)) << otherGroup;
    ASSERT_TRUE(MakeLink(otherGroup + "\\Tool.lnk", "C:\\Korvu\\Korvu63.exe", "C:\\Korvu"));

    HWND dialog = OpenSetupDialog(SetupExe(), "nt351");
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "Upgradation", "C:\\Korvu", "C:\\Korvu\\Data", "C:\\Korvu");
    closeGroupWindows_ = true;
    ASSERT_NO_FATAL_FAILURE(InstallToFinish(dialog, "upgrade-nt351"));

    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), ExpectedNames());
    ExpectPreviousGone("C:\\Korvu", oldGroup);
    EXPECT_TRUE(FileExists(otherGroup + "\\Tool.lnk"));
    ExpectShortcuts("C:\\Korvu", kProgmanFamily);
}

// Cancel pressed while the files are being copied waits until the run is
// over, when the copy dialog is gone: the installation completes.
TEST_F(E2E, CancelDuringTheRunDoesNotInterrupt)
{
    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
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
    std::string oldGroup =
        MakePreviousShortcuts(CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, "C:\\Acct7");
    ASSERT_FALSE(oldGroup.empty());
    std::string desktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);

    HWND dialog = OpenSetupDialog(SetupExe(), "nt40");
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "New Installation", "C:\\Korvu", "C:\\Korvu\\Data", "C:\\Korvu");
    ASSERT_TRUE(TypeOver(GetDlgItem(dialog, kAppBox), "C:\\Acct7", kWait))
        << "\"" << ItemText(dialog, kAppBox) << "\"";
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitText(GetDlgItem(dialog, kStateLabel), "Upgradation", kWait))
        << "\"" << ItemText(dialog, kStateLabel) << "\"";
    ExpectBoxes(dialog, "Upgradation", "C:\\Acct7", "C:\\Acct7\\Books", "C:\\Acct7");
    Settle(dialog);
    Shot("found-1-setup-dialog");

    ASSERT_NO_FATAL_FAILURE(InstallToFinish(dialog, "found"));

    ExpectPayloadInstalled("C:\\Acct7", SetupExe(), ExpectedNames());
    EXPECT_FALSE(DirExists("C:\\Acct7\\Books")) << "the taken-over data directory was made";
    EXPECT_FALSE(DirExists("C:\\Korvu")) << "the default directory was made as well";
    // Nothing changes in Korvu.ini, and Wine then leaves the file alone.
    ExpectIni("C:\\Acct7", {"[Korvu]", "Data=C:\\Acct7\\Books", "Config=C:\\Acct7"},
              "C:\\Acct7\\Books", "C:\\Acct7", ini);
    ExpectPreviousGone("C:\\Acct7", oldGroup);
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

    HWND dialog = OpenSetupDialog(SetupExe(), "winxp");
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

} // namespace
