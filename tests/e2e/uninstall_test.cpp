// Removing Korvu ark 7.2 as a person or a script would: installed by the
// real setup.exe, found in Wine's own list of installed programs, removed
// by the real Uninst72.exe that setup.exe wrote; then what is left on disk
// and in the registry.
#include "uninstall.h"

#include <algorithm>

using namespace e2e;

namespace {

// ---- the entry in the list of installed programs -------------------------

TEST_F(Uninstall, EntryInTheListOfInstalledProgramsThenRemovedWithYes)
{
    std::string day_before = Today();
    Install("winxp");
    if (HasFatalFailure())
        return;
    std::string day_after = Today();
    // Wine's own list shows it once; the entry's values.
    std::vector<std::string> entries = WineListEntries();
    ASSERT_EQ(1u, entries.size()) << Listing(entries);
    EXPECT_NE(std::string::npos, entries[0].find("Korvu ark 7.2")) << entries[0];
    DWORD type = 0;
    EXPECT_EQ("Korvu ark 7.2", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
    EXPECT_EQ("7.2", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
    std::string command = RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    EXPECT_EQ("\"C:\\Korvu\\Uninst72.exe\"", command);
    EXPECT_EQ("\"C:\\Korvu\\Uninst72.exe\" /S",
              RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
    EXPECT_EQ("C:\\Korvu\\", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"));
    EXPECT_EQ("\"C:\\Korvu\\Korvu72.exe\"",
              RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"));
    EXPECT_EQ("1", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ("1", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    // What package managers and inventory tools match and show.
    EXPECT_EQ("Korvu Software", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ("7", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "VersionMajor", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ("2", RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "VersionMinor", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    std::string date = RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDate", &type);
    EXPECT_TRUE(date == day_before || date == day_after) << date << ", installed " << day_before;
    EXPECT_EQ((DWORD)REG_SZ, type);
    DWORD kilobytes = KilobytesWritten("C:\\Korvu");
    EXPECT_GT(kilobytes, 300u); // the sample's ledger alone is 306 KB
    EXPECT_EQ(std::to_string(kilobytes),
              RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    AddUsersFiles();

    // The person removes it: one question, Yes, one message.
    StartUninstaller(command);
    HWND question = WaitQuestion();
    ASSERT_TRUE(question);
    Settle(question);
    Shot("uninstall-1-question");
    ClickWindow(GetDlgItem(question, IDYES));
    std::string text = AnswerFinalMessage("uninstall-2-removed");
    EXPECT_EQ(
        std::string("Korvu ark 7.2 has been removed from this computer.\n\n"
                    "Removed: 7 files, 2 shortcuts, the program group and the entry in the list "
                    "of installed programs.\n\n") +
            kKept,
        text);
    EXPECT_EQ(0u, WaitUninstallerExit());
    EXPECT_TRUE(WaitUninstallerGone()) << Listing(ListDir(kApp));
    ExpectOnlyUsersFilesLeft();
    EXPECT_TRUE(WineListEntries().empty()) << Listing(WineListEntries());
    // The cleaning copy goes when Windows next starts (NT: MoveFileEx).
    std::vector<std::string> copies = CleaningCopies();
    ASSERT_EQ(1u, copies.size()) << Listing(ListDir(TempDir()));
    EXPECT_NE(std::string::npos, PendingDeletions().find(CopyName(copies[0])))
        << copies[0] << " not in " << PendingDeletions();

    // Afterwards setup.exe sees a new installation again.
    Install("winxp", "New Installation");
}

TEST_F(Uninstall, NoLeavesEverything)
{
    Install("winxp");
    if (HasFatalFailure())
        return;
    std::vector<std::string> before = ListDir(kApp);
    std::string record = ReadBytes("C:\\Korvu\\Uninst72.dat");
    StartUninstaller(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
    HWND question = WaitQuestion();
    ASSERT_TRUE(question);
    ClickWindow(GetDlgItem(question, IDNO));
    EXPECT_EQ(2u, WaitUninstallerExit());
    EXPECT_EQ(Listing(before), Listing(ListDir(kApp)));
    EXPECT_EQ(record, ReadBytes("C:\\Korvu\\Uninst72.dat"));
    EXPECT_TRUE(DirExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Korvu ark 7.2"));
    EXPECT_TRUE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Korvu 7.2.lnk"));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_TRUE(CleaningCopies().empty());
}

// A file another program holds open is named; everything else goes.
TEST_F(Uninstall, FileInUseIsNamedAndTheRestRemoved)
{
    Install("winxp");
    if (HasFatalFailure())
        return;
    AddUsersFiles();
    HANDLE held =
        CreateFileA("C:\\Korvu\\Ledger.kdb", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    StartUninstaller(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
    HWND question = WaitQuestion();
    ASSERT_TRUE(question);
    ClickWindow(GetDlgItem(question, IDYES));
    std::string text = AnswerFinalMessage("uninstall-3-in-use");
    EXPECT_EQ(
        std::string(
            "Korvu ark 7.2 has been removed from this computer, except for what is named below.\n\n"
            "Removed: 6 files, 2 shortcuts, the program group and the entry in the list "
            "of installed programs.\n\n"
            "Could not be removed:\nC:\\Korvu\\Ledger.kdb (in use)\n"
            "Close the programs that use them and delete them by hand.\n\n") +
            kKept,
        text);
    EXPECT_EQ(4u, WaitUninstallerExit());
    CloseHandle(held);
    EXPECT_TRUE(WaitUninstallerGone());
    EXPECT_EQ("[Data, KORVU.SAV, Ledger.kdb, Notes.txt]", Listing(ListDir(kApp)));
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

// ---- from a script: /S, /LOG= --------------------------------------------

struct Silent {
    const char *version;
    const char *name;
    int programs; // where this family keeps the group and the desktop shortcut
    int desktop;
};

class SilentUninstall : public Uninstall, public ::testing::WithParamInterface<Silent> {};

TEST_P(SilentUninstall, QuietUninstallStringRemovesWithoutAWindow)
{
    const Silent &param = GetParam();
    Install(param.version);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(DirExists(SpecialFolder(param.programs) + "\\Korvu ark 7.2"));
    ASSERT_TRUE(FileExists(SpecialFolder(param.desktop) + "\\Korvu 7.2.lnk"));
    AddUsersFiles();
    std::string log = ScratchDir() + "uninstall log.txt";
    DeleteFileA(log.c_str());
    bool win9x = std::string(param.version) == "win98";
    if (win9x)
        SetDefaultVersion(param.version);
    StartUninstaller(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"),
                     "\"/LOG=" + log + "\"");
    // No window at all, from start to end.
    std::string shown;
    while (uninstaller_.Running()) {
        for (HWND window : VisibleWindows(uninstaller_.pid()))
            shown += std::string(ScreenName(Classify(window))) + " ";
        Sleep(5);
    }
    EXPECT_EQ("", shown);
    EXPECT_EQ(0u, WaitUninstallerExit());
    EXPECT_TRUE(WaitUninstallerGone());
    ExpectOnlyUsersFilesLeft();
    std::string text = ReadBytes(log);
    for (const char *line :
         {"Removing Korvu ark 7.2 from C:\\Korvu\\", "Removed C:\\Korvu\\Korvu72.exe",
          "Removed C:\\Korvu\\Korvu.ini", "Removed C:\\Korvu\\Uninst72.dat",
          "Korvu ark 7.2 has been removed from this computer.", "Exit status 0"})
        EXPECT_NE(std::string::npos, text.find(line)) << line << " not in the log:\n" << text;
    // The cleaning copy goes when Windows next starts: on the 9x family
    // through WININIT.INI, whose [rename] section takes short names.
    std::vector<std::string> copies = CleaningCopies();
    ASSERT_EQ(1u, copies.size()) << Listing(ListDir(TempDir()));
    if (win9x) {
        char shortPath[MAX_PATH] = "";
        GetShortPathNameA(copies[0].c_str(), shortPath, sizeof shortPath);
        std::string wininit = ReadBytes(WindowsDir() + "\\wininit.ini");
        EXPECT_NE(std::string::npos, wininit.find("[rename]")) << wininit;
        EXPECT_NE(std::string::npos, wininit.find(std::string("NUL=") + shortPath)) << wininit;
    } else {
        EXPECT_NE(std::string::npos, PendingDeletions().find(CopyName(copies[0])))
            << PendingDeletions();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, SilentUninstall,
    ::testing::Values(Silent{"nt40", "nt40", CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY},
                      Silent{"win10", "win10", CSIDL_COMMON_PROGRAMS,
                             CSIDL_COMMON_DESKTOPDIRECTORY},
                      Silent{"win98", "win98", CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY}),
    [](const ::testing::TestParamInfo<Silent> &info) { return std::string(info.param.name); });

TEST_F(Uninstall, SilentFailureAndUsageErrorsAreExitStatuses)
{
    Install("winxp");
    if (HasFatalFailure())
        return;
    // A usage error: nothing shown, nothing removed, 1.
    std::string log = ScratchDir() + "usage.log";
    StartUninstaller("\"C:\\Korvu\\Uninst72.exe\"", "/S /X");
    EXPECT_EQ(1u, WaitUninstallerExit());
    EXPECT_TRUE(FileExists("C:\\Korvu\\Korvu72.exe"));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    // A file in use: 4, and the log names it.
    HANDLE held =
        CreateFileA("C:\\Korvu\\Readme.txt", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    StartUninstaller("\"C:\\Korvu\\Uninst72.exe\"", "/s /log=" + log);
    EXPECT_EQ(4u, WaitUninstallerExit());
    CloseHandle(held);
    std::string text = ReadBytes(log);
    EXPECT_NE(std::string::npos, text.find("Error - Unable to remove C:\\Korvu\\Readme.txt"))
        << text;
    EXPECT_NE(std::string::npos, text.find("Exit status 4")) << text;
    EXPECT_TRUE(WaitUninstallerGone());
    EXPECT_FALSE(FileExists("C:\\Korvu\\Korvu72.exe"));
}

// NT 3.51 has no list of installed programs: nothing is registered, and
// the uninstaller is started from its folder.
TEST_F(Uninstall, Nt351RemovesFromTheFolderWithoutRegistration)
{
    Install("nt351");
    if (HasFatalFailure())
        return;
    EXPECT_FALSE(KeyExists(kUninstallKey));
    std::string record = ReadBytes("C:\\Korvu\\Uninst72.dat");
    EXPECT_EQ(std::string::npos, record.find("Key=")) << record;
    EXPECT_NE(std::string::npos, record.find("Progman=Korvu ark 7.2")) << record;
    AddUsersFiles();
    StartUninstaller("\"C:\\Korvu\\Uninst72.exe\"");
    HWND question = WaitQuestion();
    ASSERT_TRUE(question);
    ClickWindow(GetDlgItem(question, IDYES));
    std::string text = AnswerFinalMessage("");
    EXPECT_EQ(std::string("Korvu ark 7.2 has been removed from this computer.\n\n"
                          "Removed: 7 files and the program group.\n\n") +
                  kKept,
              text);
    EXPECT_EQ(0u, WaitUninstallerExit());
    EXPECT_TRUE(WaitUninstallerGone());
    ExpectOnlyUsersFilesLeft();
}

// 7.2 over 7.2: one entry, one record, and the removal still complete.
TEST_F(Uninstall, ReinstallKeepsOneEntry)
{
    Install("winxp");
    if (HasFatalFailure())
        return;
    Install("winxp", "Upgradation");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(1u, WineListEntries().size()) << Listing(WineListEntries());
    std::string record = ReadBytes("C:\\Korvu\\Uninst72.dat");
    size_t keys = 0;
    for (size_t at = record.find("Key="); at != std::string::npos; at = record.find("Key=", at + 1))
        keys++;
    EXPECT_EQ(1u, keys) << record;
    StartUninstaller(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
    EXPECT_EQ(0u, WaitUninstallerExit());
    EXPECT_TRUE(WaitUninstallerGone());
    EXPECT_EQ("[Data]", Listing(ListDir(kApp)));
    EXPECT_TRUE(WineListEntries().empty());
}

} // namespace
