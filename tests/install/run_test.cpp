// The whole installation run of the copy dialog, with the real sample
// payload linked into this program as resource CMPFILE 121: WM_STARTCOPY,
// Cancel, a failed extraction, an upgrade; and the installed Korvu72.exe.
#include "copydlg.h"
#include "installtest.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

// The files the sample payload holds, copied beside this program (the build
// tree itself may be out of the Wine user's reach).
std::vector<std::pair<std::string, std::string>> PayloadFiles()
{
    std::string own = OwnPath();
    std::string dir = own.substr(0, own.find_last_of('\\') + 1);
    std::vector<std::pair<std::string, std::string>> files;
    files.push_back({"Korvu72.exe", dir + "Korvu72.exe"});
    std::string names = KORVU_SAMPLE_NAMES;
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find('|', start);
        if (end == std::string::npos)
            end = names.size();
        std::string name = names.substr(start, end - start);
        files.push_back({name, dir + name});
        start = end + 1;
    }
    return files;
}

bool IsNtFamily()
{
    return g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string GroupFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + "\\Korvu ark 7.2";
}

std::string DesktopLink()
{
    return FolderPath(IsNtFamily() ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY) +
           "\\Korvu 7.2.lnk";
}

struct RunResult {
    INT_PTR procResult = -1;
    std::vector<std::string> boxes;
    int dialogAlive = 0;
    int backgroundAlive = 0;
    int quitPosted = 0;
};

// WM_STARTCOPY straight into the dialog procedure, as the dialog manager
// would pass it, so that its own result is seen.
RunResult StartCopy(SetupOptions *options, bool cancelAtFirstBox = false)
{
    CopyDialog windows = OpenCopyDialog(options);
    RunResult run;
    if (!windows.dialog) {
        ADD_FAILURE() << "copy dialog not created";
        return run;
    }
    UpdateWindow(windows.dialog);
    BoxLog boxes;
    if (cancelAtFirstBox)
        boxes.cancelAtFirstBox = windows.dialog;
    StartBoxLog(&boxes);
    run.procResult = CopyDlgProc(windows.dialog, WM_STARTCOPY, 0, 0);
    run.boxes = StopBoxLog(&boxes);
    run.dialogAlive = IsWindow(windows.dialog);
    run.backgroundAlive = IsWindow(windows.background);
    run.quitPosted = CloseCopyDialog(&windows);
    return run;
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitInstallTests();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = ScratchDir(name);
        app = root + "App\\";
        CreateDirectoryA(app.c_str(), NULL);
        CleanShellFolders();
    }
    void TearDown() override
    {
        RemoveTree(root);
        CleanShellFolders();
    }
    std::string root;
    std::string app;
};

std::string Key(const std::string &ini, const char *key)
{
    char value[MAX_PATH];
    GetPrivateProfileStringA("Korvu", key, "<absent>", value, sizeof value, ini.c_str());
    return value;
}

} // namespace

TEST_F(RunTest, CleanRunInstallsEverythingAndClosesOnlyTheDialog)
{
    SetupOptions options = MakeOptions(app, root + "Data\\", root + "Config");
    RunResult run = StartCopy(&options);
    EXPECT_EQ(FALSE, run.procResult);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_FALSE(run.dialogAlive);
    EXPECT_TRUE(run.backgroundAlive);
    EXPECT_FALSE(run.quitPosted);

    // Every payload file, byte for byte, with this program's write time.
    std::string stamp = FormatTime(LastWriteTime(OwnPath()));
    std::vector<std::pair<std::string, std::string>> files = PayloadFiles();
    ASSERT_GE(files.size(), 5u);
    for (const auto &file : files) {
        std::string installed, original;
        ASSERT_TRUE(ReadBytes(file.second, &original)) << file.second;
        ASSERT_TRUE(ReadBytes(app + file.first, &installed)) << file.first << " not installed";
        EXPECT_TRUE(installed == original) << file.first << " differs";
        EXPECT_EQ(stamp, FormatTime(LastWriteTime(app + file.first))) << file.first;
    }

    EXPECT_EQ(root + "Data", Key(app + "Korvu.ini", "Data"));
    EXPECT_EQ(root + "Config", Key(app + "Korvu.ini", "Config"));
    EXPECT_EQ("0001", Key(app + "Korvu.ini", "Load"));

    std::string workdir = app.substr(0, app.size() - 1);
    LinkInfo group = ReadLink(GroupFolder() + "\\Korvu 7.2.lnk");
    EXPECT_TRUE(group.loaded);
    EXPECT_STRCASEEQ((app + "Korvu72.exe").c_str(), group.target.c_str());
    EXPECT_STRCASEEQ(workdir.c_str(), group.workdir.c_str());
    LinkInfo desktop = ReadLink(DesktopLink());
    EXPECT_TRUE(desktop.loaded);
    EXPECT_STRCASEEQ((app + "Korvu72.exe").c_str(), desktop.target.c_str());
    EXPECT_FALSE(Exists(GroupFolder() + "\\KorvuReference.lnk"));
}

TEST_F(RunTest, UpgradeRemovesThePreviousVersionAfterTheNewShortcuts)
{
    std::string programs = FolderPath(IsNtFamily() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    std::string oldGroup = programs + "\\Korvu orb 6.3";
    CreateDirectoryA(oldGroup.c_str(), NULL);
    ASSERT_TRUE(WriteBytes(app + "Korvu63.exe", "old"));
    ASSERT_TRUE(WriteBytes(app + "KorvuRef.chm", "help"));
    ASSERT_TRUE(MakeLink(oldGroup + "\\Korvu 6.3.lnk", app + "Korvu63.exe"));
    ASSERT_TRUE(WriteBytes(app + "Korvu.ini", "[Korvu]\r\nData = D:\\Old\r\nConfig = D:\\Old\r\n"
                                              "Printer = LPT2\r\n"));
    SetupOptions options = MakeOptions(app, "D:\\Old\\", "D:\\Old");
    options.upgrade = 1;
    RunResult run = StartCopy(&options);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_FALSE(Exists(app + "Korvu63.exe"));
    EXPECT_FALSE(Exists(oldGroup));
    EXPECT_TRUE(Exists(GroupFolder() + "\\Korvu 7.2.lnk"));
    EXPECT_TRUE(Exists(GroupFolder() + "\\KorvuReference.lnk"));
    EXPECT_EQ("LPT2", Key(app + "Korvu.ini", "Printer"));
    EXPECT_EQ("D:\\Old", Key(app + "Korvu.ini", "Data"));
}

TEST_F(RunTest, WithoutUpgradeThePreviousProgramStays)
{
    ASSERT_TRUE(WriteBytes(app + "Korvu63.exe", "old"));
    SetupOptions options = MakeOptions(app, app, app);
    RunResult run = StartCopy(&options);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_TRUE(Exists(app + "Korvu63.exe"));
}

TEST_F(RunTest, FailedExtractionLeavesIniAndShortcutsUntouched)
{
    // The program file is in use: the first record cannot be written.
    ASSERT_TRUE(WriteBytes(app + "Korvu72.exe", "running"));
    HANDLE held = CreateFileA((app + "Korvu72.exe").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    SetupOptions options = MakeOptions(app, app, app);
    RunResult run = StartCopy(&options);
    CloseHandle(held);
    EXPECT_EQ(FALSE, run.procResult);
    // Asked first (the watcher presses Cancel), then the run's failure.
    ASSERT_EQ(2u, run.boxes.size()) << Joined(run.boxes);
    EXPECT_EQ(0u, run.boxes[0].find("The file " + app + "Korvu72.exe is in use")) << run.boxes[0];
    EXPECT_EQ("Internal Error 13\n\n(Status:0)", run.boxes[1]);
    EXPECT_FALSE(run.dialogAlive);
    EXPECT_FALSE(run.backgroundAlive);
    EXPECT_TRUE(run.quitPosted);
    EXPECT_FALSE(Exists(app + "Korvu.ini"));
    EXPECT_FALSE(Exists(GroupFolder()));
    EXPECT_FALSE(Exists(DesktopLink()));
}

TEST_F(RunTest, CancelWithAnyNotificationEndsDialogAndBackground)
{
    SetupOptions options = MakeOptions(app, app, app);
    for (WPARAM notification : {(WPARAM)BN_CLICKED, (WPARAM)0x7777, (WPARAM)0xFFFF}) {
        CopyDialog windows = OpenCopyDialog(&options);
        ASSERT_TRUE(windows.dialog != NULL);
        SendMessageA(windows.dialog, WM_COMMAND, MAKEWPARAM(IDC_CDLG_BTN_CANCEL, notification),
                     (LPARAM)GetDlgItem(windows.dialog, IDC_CDLG_BTN_CANCEL));
        EXPECT_FALSE(IsWindow(windows.dialog)) << "notification " << notification;
        EXPECT_FALSE(IsWindow(windows.background)) << "notification " << notification;
        EXPECT_TRUE(CloseCopyDialog(&windows)) << "the program must be told to end";
    }
    // A real click on the button, with the focus where the dialog put it.
    CopyDialog windows = OpenCopyDialog(&options);
    HWND cancel = GetDlgItem(windows.dialog, IDC_CDLG_BTN_CANCEL);
    EXPECT_EQ(cancel, GetFocus()) << "Cancel, the first tab stop, has the focus";
    SendMessageA(cancel, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(windows.dialog));
    EXPECT_FALSE(IsWindow(windows.background));
    EXPECT_TRUE(CloseCopyDialog(&windows));
    EXPECT_EQ(0, (int)GetFileAttributesA((app + "Readme.txt").c_str()) + 1) << "nothing installed";
}

TEST_F(RunTest, CancelDuringAFailureBoxStopsTheRun)
{
    // Korvu.ini is read-only: its key writes fail with a box, during which
    // the user's Cancel reaches the dialog. Nothing is made after it.
    ASSERT_TRUE(WriteBytes(app + "Korvu.ini", "[Korvu]\r\nData = x\r\nConfig = y\r\n"));
    ASSERT_TRUE(SetFileAttributesA((app + "Korvu.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    SetupOptions options = MakeOptions(app, app, app);
    RunResult run = StartCopy(&options, true);
    SetFileAttributesA((app + "Korvu.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_FALSE(run.boxes.empty());
    EXPECT_EQ(0u, run.boxes[0].find("Error - Unable to write data directory path")) << run.boxes[0];
    EXPECT_FALSE(run.dialogAlive);
    EXPECT_FALSE(run.backgroundAlive);
    EXPECT_TRUE(run.quitPosted);
    EXPECT_TRUE(Exists(app + "Readme.txt")) << "the files were installed before";
    EXPECT_FALSE(Exists(GroupFolder()));
    EXPECT_FALSE(Exists(DesktopLink()));
}

TEST_F(RunTest, OtherMessagesAreNotHandled)
{
    SetupOptions options = MakeOptions(app, app, app);
    CopyDialog windows = OpenCopyDialog(&options);
    EXPECT_EQ(FALSE, CopyDlgProc(windows.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    EXPECT_EQ(FALSE, CopyDlgProc(windows.dialog, WM_USER + 999, 0, 0));
    EXPECT_TRUE(IsWindow(windows.dialog));
    EXPECT_EQ((LONG_PTR)&options, GetWindowLongPtrA(windows.dialog, GWLP_USERDATA));
    EXPECT_FALSE(CloseCopyDialog(&windows));
}

TEST_F(RunTest, CopyDialogWithoutOptionsIsError2)
{
    CopyDialog windows = OpenCopyDialog(NULL);
    BoxLog boxes;
    StartBoxLog(&boxes);
    CopyFiles(windows.dialog);
    std::vector<std::string> texts = StopBoxLog(&boxes);
    ASSERT_EQ(1u, texts.size()) << Joined(texts);
    EXPECT_EQ(0u, texts[0].find("Internal Error 2\n\n(Status:")) << texts[0];
    EXPECT_FALSE(IsWindow(windows.dialog));
    EXPECT_FALSE(IsWindow(windows.background));
    EXPECT_TRUE(CloseCopyDialog(&windows));
}

// ---------------------------------------------------------------- Korvu72.exe

namespace {

struct FoundWindow {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindAppWindow(HWND window, LPARAM param)
{
    FoundWindow *found = (FoundWindow *)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    if (process == found->process && std::string(title) == "Korvu ark 7.2") {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Text of a control of another process, fetched by a marshalled WM_GETTEXT.
std::string ChildText(HWND window, int id)
{
    HWND child = GetDlgItem(window, id);
    char text[MAX_PATH] = "";
    DWORD_PTR copied = 0;
    if (!child || !SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, (LPARAM)text,
                                       SMTO_ABORTIFHUNG, 1000, &copied))
        return "";
    text[sizeof text - 1] = '\0';
    return text;
}

} // namespace

TEST(SampleApplication, ShowsTheDirectoriesOfTheIniBesideIt)
{
    // Korvu72.exe is copied beside this program (C:\run); so is its ini.
    std::string self = OwnPath();
    std::string dir = self.substr(0, self.rfind('\\') + 1);
    ASSERT_TRUE(Exists(dir + "Korvu72.exe"));
    ASSERT_TRUE(WriteBytes(dir + "Korvu.ini", "[Korvu]\r\nData = C:\\Books\\Data\r\n"
                                              "Config = C:\\Books\r\n"));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string command = "\"" + dir + "Korvu72.exe\"";
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &startup,
                               &process));
    // Wait until the window is shown with its values (created, then shown).
    FoundWindow found = {process.dwProcessId, NULL};
    std::string data, config;
    for (int i = 0; i < 500 && (data.empty() || config.empty()); i++) {
        Sleep(20);
        found.window = NULL;
        EnumWindows(FindAppWindow, (LPARAM)&found);
        if (found.window && IsWindowVisible(found.window)) {
            data = ChildText(found.window, 101);
            config = ChildText(found.window, 102);
        }
    }
    if (found.window)
        PostMessageA(found.window, WM_CLOSE, 0, 0);
    DWORD waited = WaitForSingleObject(process.hProcess, 10000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA((dir + "Korvu.ini").c_str());
    ASSERT_TRUE(found.window != NULL) << "no window titled \"Korvu ark 7.2\"";
    EXPECT_EQ("C:\\Books\\Data", data);
    EXPECT_EQ("C:\\Books", config);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, waited);
    EXPECT_EQ(0u, code);
}
