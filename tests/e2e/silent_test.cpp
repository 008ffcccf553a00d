// Unattended installations: /S, /D=, /LOG=, presets, refusals, a file in use.
#include "scenario.h"

using namespace e2e;

std::string LogOf(const std::string &path)
{
    return ReadBytes(path);
}

void ExpectLogHas(const std::string &log, const std::string &line)
{
    EXPECT_NE(std::string::npos, log.find(line + "\r\n")) << "no line \"" << line << "\" in:\n"
                                                          << log;
}

namespace {

// ---- 7: unattended installation ---------------------------------------------

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
    std::string oldGroup = MakePreviousShortcuts(CSIDL_COMMON_PROGRAMS, -1, "C:\\Korvu");
    ASSERT_FALSE(oldGroup.empty());
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

    HWND box = InstallUntilRetryBox();
    ASSERT_TRUE(box);
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

} // namespace
