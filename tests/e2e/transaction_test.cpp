// A failed installation leaves the computer as it was.
#include "scenario.h"

#include <algorithm>
#include <map>

using namespace e2e;

namespace {

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

static BOOL CALLBACK CollectAnyTop(HWND window, LPARAM param)
{
    auto *list = (std::pair<DWORD, std::string> *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == list->first)
        list->second += " " + ClassName(window);
    return TRUE;
}

// The classes of the process's top-level windows, hidden ones too.
static std::string AnyWindowsOf(DWORD pid)
{
    std::pair<DWORD, std::string> list(pid, "");
    EnumWindows(CollectAnyTop, (LPARAM)&list);
    return list.second;
}

// The last payload file held by another program through a silent upgrade,
// on the 9x family: 30 seconds of waiting, status 4, and every file and
// folder as before, nothing added. While it waits (its placing mark is
// there) the run has no window at all, not even a hidden one.
TEST_F(Transaction, SilentUpgradeWithTheLastFileHeldChangesNothing)
{
    InstallPreviousBuild();
    std::map<std::string, std::string> before = TreeOf("C:\\Korvu");
    HANDLE held = HoldLastFile();
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    StartSetup(SetupExe(), "win98", SW_SHOWNORMAL, "/S");
    EXPECT_TRUE(WaitUntil([] { return FileExists("C:\\Korvu\\~kv!"); }, kRunWait))
        << "the run did not start placing its files";
    EXPECT_EQ("", AnyWindowsOf(setup_.pid()));
    DWORD code = 12345;
    EXPECT_TRUE(setup_.WaitExit(kRunWait, &code)) << "still running";
    EXPECT_EQ(4u, code);
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
    HWND box = InstallUntilRetryBox();
    ASSERT_TRUE(box);
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
