// The Uninstall fixture: Korvu ark 7.2 installed by the real setup.exe, then
// removed by the Uninst72.exe it wrote; and what the scenarios check with.
#pragma once
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "checks.h"
#include "groupwindows.h"
#include "ui.h"

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
void SetDefaultVersion(const char *version);
// A program's output through a pipe, and its exit code.
std::string Output(const std::string &commandLine, DWORD *code);
// The lines of Wine's list of installed programs that name us.
std::vector<std::string> WineListEntries();
std::string RegText(HKEY root, const char *path, const char *name, DWORD *type = nullptr);
// The day as the list of installed programs records it: YYYYMMDD.
std::string Today();
// What the entry's EstimatedSize should say: the KB (rounded up per file)
// of the files the installation wrote into dir, found there.
DWORD KilobytesWritten(const std::string &dir);
bool KeyExists(const char *path);
std::string TempDir();
// The cleaning copies (KvuNNNN\Uninst72.exe, each in a folder of its
// own) the uninstaller leaves in the temporary folder until Windows next
// starts.
std::vector<std::string> CleaningCopies();
// "KvuNNNN\Uninst72.exe" of a copy's path.
std::string CopyName(const std::string &copy);
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// The files Windows is to delete at its next start (NT: MoveFileEx).
std::string PendingDeletions();
std::string WindowsDir();
// Files the person added after the installation, in the application,
// data and configuration directories (the last two are C:\Korvu\Data and
// C:\Korvu with the defaults).
void AddUsersFiles();
// What stays after a removal: the data and configuration directories
// with what the person put there, nothing of the installation.
void ExpectOnlyUsersFilesLeft();
// The uninstaller's own file goes a moment after it has ended.
bool WaitUninstallerGone();

namespace e2e {

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

} // namespace e2e
