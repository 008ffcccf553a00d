// Removing Korvu ark 7.2 as a person or a script would: installed by the
// real setup.exe, found in Wine's own list of installed programs, removed
// by the real Uninst72.exe that setup.exe wrote; then what is left on disk
// and in the registry.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>

#include "checks.h"
#include "groupwindows.h"
#include "ui.h"

using namespace e2e;

namespace {

const char kCaption[] = "Korvu ark 7.2 Setup";
const int kWait = 30000;
const int kRunWait = 120000;
enum { kInstallButton = 1016, kStateLabel = 1048, kFinishOk = 1040, kBoxText = 0xFFFF };

const char kApp[] = "C:\\Korvu";
const char kUninstaller[] = "C:\\Korvu\\Uninst72.exe";
const char kQuestion[] =
    "Remove Korvu ark 7.2 and its shortcuts from this computer? Your data in C:\\Korvu\\Data and "
    "the configuration in C:\\Korvu are kept.";
const char kKept[] = "Your data in C:\\Korvu\\Data and the configuration in C:\\Korvu are kept.";

// The Windows version Wine reports to every program without one of its
// own: the uninstaller's cleaning copy has a new name each time.
void SetDefaultVersion(const char *version)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL))
        return;
    if (version)
        RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, strlen(version) + 1);
    else
        RegDeleteValueA(key, "Version");
    RegCloseKey(key);
}

// A program's output through a pipe, and its exit code.
std::string Output(const std::string &commandLine, DWORD *code)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE read = NULL, write = NULL;
    if (!CreatePipe(&read, &write, &inherit, 0))
        return "<no pipe>";
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL started =
        CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    CloseHandle(write);
    std::string text;
    if (started) {
        char buffer[4096];
        DWORD n;
        while (ReadFile(read, buffer, sizeof buffer, &n, NULL) && n > 0)
            text.append(buffer, n);
        WaitForSingleObject(process.hProcess, kWait);
        GetExitCodeProcess(process.hProcess, code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        text = "<could not start " + commandLine + ">";
    }
    CloseHandle(read);
    return text;
}

// The lines of Wine's list of installed programs that name us.
std::vector<std::string> WineListEntries()
{
    DWORD code = 0;
    std::string text = Output("uninstaller.exe --list", &code);
    std::vector<std::string> entries;
    for (std::string line : SplitLines(text)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.find("Korvu") != std::string::npos)
            entries.push_back(line);
    }
    return entries;
}

std::string RegText(HKEY root, const char *path, const char *name, DWORD *type = nullptr)
{
    char value[1024] = "";
    DWORD size = sizeof value - 1;
    DWORD kind = 0;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "<no key>";
    LONG status = RegQueryValueExA(key, name, NULL, &kind, (BYTE *)value, &size);
    RegCloseKey(key);
    if (type)
        *type = kind;
    if (status != ERROR_SUCCESS)
        return "<no value>";
    if (kind == REG_DWORD)
        return std::to_string(*(DWORD *)value);
    return std::string(value, strnlen(value, size));
}

// The day as the list of installed programs records it: YYYYMMDD.
std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16];
    snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

// What the entry's EstimatedSize should say: the KB (rounded up per file)
// of the files the installation wrote into dir, found there.
DWORD KilobytesWritten(const std::string &dir)
{
    DWORD kilobytes = 0;
    for (const std::string &name : ListDir(dir)) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "\\" + name).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "Uninst72.dat" &&
            name != "Korvu.ini")
            kilobytes += (found.nFileSizeLow + 1023) / 1024;
    }
    return kilobytes;
}

bool KeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string TempDir()
{
    char path[MAX_PATH];
    DWORD n = GetTempPathA(sizeof path, path);
    return std::string(path, n);
}

// The cleaning copies (KvuNNNN\Uninst72.exe, each in a folder of its
// own) the uninstaller leaves in the temporary folder until Windows next
// starts.
std::vector<std::string> CleaningCopies()
{
    std::vector<std::string> copies;
    for (const std::string &name : ListDir(TempDir()))
        if (name.compare(0, 3, "Kvu") == 0 && FileExists(TempDir() + name + "\\Uninst72.exe"))
            copies.push_back(TempDir() + name + "\\Uninst72.exe");
    return copies;
}

// "KvuNNNN\Uninst72.exe" of a copy's path.
std::string CopyName(const std::string &copy)
{
    return copy.substr(TempDir().size());
}

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// The files Windows is to delete at its next start (NT: MoveFileEx).
std::string PendingDeletions()
{
    char value[8192];
    DWORD size = sizeof value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return "";
    LONG status =
        RegQueryValueExA(key, "PendingFileRenameOperations", NULL, NULL, (BYTE *)value, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "";
    std::string text(value, size);
    std::replace(text.begin(), text.end(), '\0', '|');
    return text;
}

std::string WindowsDir()
{
    char path[MAX_PATH];
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    return std::string(path, n);
}

// Files the person added after the installation, in the application,
// data and configuration directories (the last two are C:\Korvu\Data and
// C:\Korvu with the defaults).
void AddUsersFiles()
{
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Data\\Ledger 2024.kdb", "the books of 2024"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\KORVU.SAV", "saved configuration"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Notes.txt", "the user's own notes"));
}

// What stays after a removal: the data and configuration directories
// with what the person put there, nothing of the installation.
void ExpectOnlyUsersFilesLeft()
{
    EXPECT_EQ("[Data, KORVU.SAV, Notes.txt]", Listing(ListDir(kApp)));
    EXPECT_EQ("[Ledger 2024.kdb]", Listing(ListDir("C:\\Korvu\\Data")));
    EXPECT_EQ("the books of 2024", ReadBytes("C:\\Korvu\\Data\\Ledger 2024.kdb"));
    EXPECT_EQ("saved configuration", ReadBytes("C:\\Korvu\\KORVU.SAV"));
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        EXPECT_FALSE(DirExists(SpecialFolder(csidl) + "\\Korvu ark 7.2")) << SpecialFolder(csidl);
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_FALSE(FileExists(SpecialFolder(csidl) + "\\Korvu 7.2.lnk")) << SpecialFolder(csidl);
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

// The uninstaller's own file goes a moment after it has ended.
bool WaitUninstallerGone()
{
    for (int i = 0; i < 150 && FileExists(kUninstaller); i++)
        Sleep(100);
    return !FileExists(kUninstaller);
}

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        CleanState();
        CleanTemp();
    }

    void TearDown() override
    {
        uninstaller_.Kill();
        setup_.Kill();
        CleanState();
        CleanTemp();
        SetReportedVersion("Uninst72.exe", "winxp");
        SetDefaultVersion(NULL);
        CoUninitialize();
    }

    // Cleaning copies of earlier runs (once they have ended) and their
    // entries for the next start of Windows.
    void CleanTemp()
    {
        for (int i = 0; i < 50; i++) {
            bool left = false;
            for (const std::string &copy : CleaningCopies())
                left |= !DeleteFileA(copy.c_str()) ||
                        !RemoveDirectoryA(copy.substr(0, copy.rfind('\\')).c_str());
            if (!left)
                break;
            Sleep(100);
        }
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "PendingFileRenameOperations");
            RegCloseKey(key);
        }
        DeleteFileA((WindowsDir() + "\\wininit.ini").c_str());
    }

    // A fresh installation with the defaults, as Windows `version`: the
    // person clicks Install and then OK.
    void Install(const std::string &version, const std::string &label = "New Installation")
    {
        SetReportedVersion("setup.exe", version);
        SetReportedVersion("Uninst72.exe", version);
        ASSERT_TRUE(setup_.Start(RunDir() + "setup.exe", RunDir())) << "error " << setup_.error();
        HWND dialog = WaitScreen(setup_.pid(), Screen::SetupDialog, kWait);
        ASSERT_TRUE(dialog) << "no setup dialog; seen: " << DescribeScreens(setup_.pid());
        EXPECT_EQ(label, ItemText(dialog, kStateLabel));
        ClickWindow(GetDlgItem(dialog, kInstallButton));
        HWND finish = NULL;
        DWORD start = GetTickCount();
        while (!finish && (int)(GetTickCount() - start) < kRunWait) {
            HWND box = FindScreen(setup_.pid(), Screen::MessageBox);
            ASSERT_FALSE(box) << "message box during the run: " << ItemText(box, kBoxText);
            finish = FindScreen(setup_.pid(), Screen::FinishDialog);
            Sleep(20);
        }
        ASSERT_TRUE(finish) << "no finish dialog; seen: " << DescribeScreens(setup_.pid());
        if (version == "nt351")
            CloseGroupWindows();
        Settle(finish);
        ClickWindow(GetDlgItem(finish, kFinishOk));
        DWORD code = 12345;
        ASSERT_TRUE(setup_.WaitExit(kWait, &code));
        EXPECT_EQ(0u, code);
        ASSERT_TRUE(FileExists(kUninstaller)) << Listing(ListDir(kApp));
        // setup.exe has the uninstaller make its entry, without waiting
        // for it; on NT 3.51 there is none to make.
        if (version == "nt351")
            return;
        for (int i = 0;
             i < 100 && ReadBytes("C:\\Korvu\\Uninst72.dat").find("Key=") == std::string::npos; i++)
            Sleep(100);
        ASSERT_TRUE(KeyExists(kUninstallKey));
        ASSERT_NE(std::string::npos,
                  ReadBytes("C:\\Korvu\\Uninst72.dat").find("Key=Korvu ark 7.2"));
    }

    // Starts the uninstaller as Control Panel would: the command the entry
    // gives, with `extra` arguments.
    void StartUninstaller(const std::string &command, const std::string &extra = "")
    {
        ASSERT_EQ('"', command[0]) << command;
        size_t close = command.find('"', 1);
        ASSERT_NE(std::string::npos, close) << command;
        std::string exe = command.substr(1, close - 1);
        std::string arguments = command.substr(close + 1);
        arguments.erase(0, arguments.find_first_not_of(' '));
        if (!extra.empty())
            arguments += (arguments.empty() ? "" : " ") + extra;
        ASSERT_TRUE(uninstaller_.Start(exe, RunDir(), SW_SHOWNORMAL, arguments))
            << exe << ": error " << uninstaller_.error();
    }

    DWORD WaitUninstallerExit()
    {
        DWORD code = 12345;
        EXPECT_TRUE(uninstaller_.WaitExit(kRunWait, &code))
            << "still runs; seen: " << DescribeScreens(uninstaller_.pid());
        return code;
    }

    // The one box at the end: its text, its picture, OK.
    std::string AnswerFinalMessage(const std::string &shot)
    {
        HWND box = WaitScreen(uninstaller_.pid(), Screen::MessageBox, kRunWait);
        EXPECT_TRUE(box) << "no final message; seen: " << DescribeScreens(uninstaller_.pid());
        if (!box)
            return "";
        EXPECT_EQ(kCaption, WindowTextNoWait(box));
        std::string text = ItemText(box, kBoxText);
        Settle(box);
        if (!shot.empty())
            Shot(shot);
        ClickWindow(GetDlgItem(box, IDOK));
        return text;
    }

    HWND WaitQuestion()
    {
        HWND box = WaitScreen(uninstaller_.pid(), Screen::Question, kWait);
        EXPECT_TRUE(box) << "no question; seen: " << DescribeScreens(uninstaller_.pid());
        if (box) {
            EXPECT_EQ(kCaption, WindowTextNoWait(box));
            EXPECT_EQ(kQuestion, ItemText(box, kBoxText));
        }
        return box;
    }

    // Program Manager shows the group it made on NT 3.51; Wine's shell
    // opens a folder window for it in another process, which takes the
    // foreground (groupwindows.h): closed before the finish dialog's OK.
    void CloseGroupWindows()
    {
        std::vector<std::string> titles;
        EXPECT_TRUE(::CloseGroupWindows(kWait, &titles)) << "a group window neither came nor went";
    }

    Program setup_;
    Program uninstaller_;
};

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
