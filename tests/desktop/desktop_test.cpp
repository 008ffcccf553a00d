// Korvu.ini, the program group and shortcuts, and the removal of Korvu orb
// 6.3, each through the real copy dialog as owner, on Wine's real profile
// routines and shell folders. Runs as win98 and as winxp; as nt351, the
// Program Manager tests at the end.
#include "desktop.h"
#include "groupwindows.h"
#include "installtest.h"
#include "progman.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <stdlib.h>

namespace {

// Korvu.ini's template as it must be written, byte for byte (CR LF), from
// tests/desktop/korvu-template.ini beside the test program.
std::string TemplateBytes()
{
    std::string bytes;
    EXPECT_TRUE(ReadBytes("C:\\run\\korvu-template.ini", &bytes));
    return bytes;
}

std::vector<std::string> TemplateLines()
{
    std::vector<std::string> lines;
    std::string bytes = TemplateBytes();
    for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    return lines;
}

const char kBoth[] =
    "Error - Unable to write data directory path\nand config directory path\nin Korvu.INI file. ";
const char kData[] = "Error - Unable to write data directory path\nin Korvu.INI file. ";
const char kConfig[] = "Error - Unable to write config directory path\nin Korvu.INI file. ";

std::string Trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::vector<std::string> Lines(const std::string &path)
{
    std::string data;
    std::vector<std::string> lines;
    if (!ReadBytes(path, &data))
        return lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        lines.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A comment without indentation and without blanks around "=" (Wine's
// profile writer rewrites ";;kdl = x" as ";;kdl=x"; Windows keeps it).
std::string Comment(const std::string &line)
{
    std::string t = Trim(line);
    size_t eq = t.find('=');
    if (eq != std::string::npos)
        t = Trim(t.substr(0, eq)) + "=" + Trim(t.substr(eq + 1));
    return t;
}

// Comment lines and key names in file order.
std::vector<std::string> Comments(const std::string &path)
{
    std::vector<std::string> out;
    for (const std::string &line : Lines(path))
        if (Trim(line).compare(0, 2, ";;") == 0)
            out.push_back(Comment(line));
    return out;
}

std::vector<std::string> Keys(const std::string &path)
{
    std::vector<std::string> out;
    for (const std::string &line : Lines(path)) {
        std::string t = Trim(line);
        size_t eq = t.find('=');
        if (eq != std::string::npos && t.compare(0, 2, ";;") != 0)
            out.push_back(Trim(t.substr(0, eq)));
    }
    return out;
}

std::string Key(const std::string &ini, const char *section, const char *key)
{
    char value[MAX_PATH];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, ini.c_str());
    return value;
}

struct IniRun {
    int result = -1;
    std::vector<std::string> boxes;
};

IniRun RunChangeINIFile(SetupOptions *options)
{
    CopyDialog windows = OpenCopyDialog(options);
    BoxLog boxes;
    StartBoxLog(&boxes);
    IniRun run;
    run.result = ChangeINIFile(windows.dialog);
    run.boxes = StopBoxLog(&boxes);
    EXPECT_TRUE(IsWindow(windows.dialog)) << "the copy dialog must survive a Korvu.ini failure";
    CloseCopyDialog(&windows);
    return run;
}

std::vector<std::string> Boxes(std::initializer_list<std::string> list)
{
    return std::vector<std::string>(list);
}

std::string Status(const char *message, int status)
{
    return std::string(message) + "\n\n(Status:" + std::to_string(status) + ")";
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitInstallTests();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ini = dir + "Korvu.ini";
        CleanShellFolders();
    }
    void TearDown() override
    {
        RemoveTree(dir);
        CleanShellFolders();
    }
    std::string dir;
    std::string ini;
};

} // namespace

// ---------------------------------------------------------------- Korvu.ini

TEST_F(DesktopTest, TemplateIsTheThirtyTwoLinesWithCrLf)
{
    HANDLE file = OpenOutput(ini.c_str(), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(1, WriteINITemplate(file));
    CloseHandle(file);
    std::string written;
    ASSERT_TRUE(ReadBytes(ini, &written));
    EXPECT_EQ(32u, TemplateLines().size());
    EXPECT_EQ(TemplateBytes(), written);
}

TEST_F(DesktopTest, NewFileGetsTheTemplateAndBothKeys)
{
    SetupOptions options = MakeOptions(dir, "C:\\Korvu\\Data\\", "C:\\Korvu");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_EQ("C:\\Korvu\\Data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("C:\\Korvu", Key(ini, "Korvu", "Config"));
    EXPECT_EQ("Yes", Key(ini, "Korvu", "Default Companies"));
    EXPECT_EQ("0001", Key(ini, "Korvu", "Load"));
    EXPECT_EQ("Yes", Key(ini, "Korvu", "User KDL"));
    EXPECT_EQ("Yes", Key(ini, "Korvu", "Color"));
    // Wine's profile writer rewrites the file; what must survive is every
    // comment and key of the template, in order.
    std::vector<std::string> comments,
        keys = {"Data", "Default Companies", "Load", "User KDL", "Config", "Color"};
    for (const std::string &line : TemplateLines())
        if (Trim(line).compare(0, 2, ";;") == 0)
            comments.push_back(Comment(line));
    EXPECT_EQ(comments, Comments(ini));
    EXPECT_EQ(keys, Keys(ini));
}

TEST_F(DesktopTest, ExistingFileKeepsItsOtherLines)
{
    ASSERT_TRUE(WriteBytes(ini, ";; my own settings\r\n[Korvu]\r\nData = D:\\Old\\Data\r\n"
                                "Load = 0042\r\n;; keep me\r\nPrinter = LPT2\r\n"
                                "Config = D:\\Old\r\n[Reports]\r\nFooter = Page %p\r\n"));
    SetupOptions options = MakeOptions(dir, "E:\\New\\Data", "E:\\New\\");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_EQ("E:\\New\\Data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("E:\\New", Key(ini, "Korvu", "Config"));
    EXPECT_EQ("0042", Key(ini, "Korvu", "Load"));
    EXPECT_EQ("LPT2", Key(ini, "Korvu", "Printer"));
    EXPECT_EQ("Page %p", Key(ini, "Reports", "Footer"));
    EXPECT_EQ("<absent>", Key(ini, "Korvu", "Color")) << "no template line may be added";
    EXPECT_EQ(Boxes({";; my own settings", ";; keep me"}), Comments(ini));
    EXPECT_EQ(Boxes({"Data", "Load", "Printer", "Config", "Footer"}), Keys(ini));
}

TEST_F(DesktopTest, FileWithoutTheSectionGetsIt)
{
    ASSERT_TRUE(WriteBytes(ini, "[Reports]\r\nFooter = Page %p\r\n"));
    SetupOptions options = MakeOptions(dir, "C:\\K\\Data", "C:\\K");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ("C:\\K\\Data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("C:\\K", Key(ini, "Korvu", "Config"));
    EXPECT_EQ("Page %p", Key(ini, "Reports", "Footer"));
}

TEST_F(DesktopTest, OneTrailingBackslashIsDropped)
{
    struct Case {
        const char *given;
        const char *stored;
    } cases[] = {{"C:\\D\\", "C:\\D"},
                 {"C:\\D", "C:\\D"},
                 {"C:\\D\\\\", "C:\\D\\"},
                 {"", ""},
                 {"C:\\", "C:"}};
    for (const Case &c : cases) {
        SetupOptions options = MakeOptions(dir, c.given, c.given);
        IniRun run = RunChangeINIFile(&options);
        EXPECT_EQ(1, run.result);
        EXPECT_EQ(c.stored, Key(ini, "Korvu", "Data")) << "given [" << c.given << "]";
        EXPECT_EQ(c.stored, Key(ini, "Korvu", "Config")) << "given [" << c.given << "]";
    }
}

TEST_F(DesktopTest, FileThatCannotBeCreatedIsReportedWithoutKeys)
{
    SetupOptions options = MakeOptions(dir + "missing\\", "C:\\D", "C:\\C");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(Boxes({Status(kBoth, ERROR_PATH_NOT_FOUND)}), run.boxes);
    EXPECT_FALSE(Exists(dir + "missing\\Korvu.ini"));
}

TEST_F(DesktopTest, ReadOnlyFileReportsEachKeyAndGoesOn)
{
    std::string before = "[Korvu]\r\nData = old\r\nConfig = old\r\n";
    ASSERT_TRUE(WriteBytes(ini, before));
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    SetupOptions options = MakeOptions(dir, "C:\\D", "C:\\C");
    IniRun run = RunChangeINIFile(&options);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ(Boxes({Status(kData, ERROR_ACCESS_DENIED), Status(kConfig, ERROR_ACCESS_DENIED)}),
              run.boxes);
    std::string after;
    ReadBytes(ini, &after);
    EXPECT_EQ(before, after);
}

TEST_F(DesktopTest, PathsThatDoNotFitAreReportedNotOverrun)
{
    // app_path + "Korvu.ini" would need 264 bytes.
    std::string longApp = "C:\\" + std::string(250, 'a') + "\\";
    SetupOptions options = MakeOptions(longApp, "C:\\D", "C:\\C");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(Boxes({Status(kBoth, ERROR_FILENAME_EXCED_RANGE)}), run.boxes);

    // A 259-character data path plus the leading blank: the Data write
    // fails, Config is still written.
    std::string longData = "C:\\" + std::string(256, 'd');
    options = MakeOptions(dir, longData, "C:\\C");
    run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ(Boxes({Status(kData, ERROR_FILENAME_EXCED_RANGE)}), run.boxes);
    EXPECT_EQ("\\korvu\\data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("C:\\C", Key(ini, "Korvu", "Config"));
}

TEST_F(DesktopTest, NoOptionsRecordIsReported)
{
    CopyDialog windows = OpenCopyDialog(NULL);
    BoxLog boxes;
    StartBoxLog(&boxes);
    int result = ChangeINIFile(windows.dialog);
    std::vector<std::string> texts = StopBoxLog(&boxes);
    CloseCopyDialog(&windows);
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, texts.size()) << Joined(texts);
    EXPECT_EQ(0u, texts[0].find(kBoth)) << texts[0];
}

// ---------------------------------------------------------------- shortcuts

namespace {

bool IsNtFamily()
{
    return g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string ProgramsFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

std::string DesktopFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
}

std::string OtherProgramsFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
}

std::vector<std::string> RunShortcuts(SetupOptions *options, bool upgradeStep)
{
    CopyDialog windows = OpenCopyDialog(options);
    BoxLog boxes;
    StartBoxLog(&boxes);
    if (upgradeStep)
        RemoveOldShellGroupAndShortcut(windows.dialog, options);
    else
        CreateShellGroupAndShortcut(windows.dialog, options);
    std::vector<std::string> texts = StopBoxLog(&boxes);
    CloseCopyDialog(&windows);
    return texts;
}

void ExpectLink(const std::string &link, const std::string &target, const std::string &workdir)
{
    LinkInfo info = ReadLink(link);
    ASSERT_TRUE(info.loaded) << link << " missing or unreadable";
    EXPECT_STRCASEEQ(target.c_str(), info.target.c_str()) << link;
    EXPECT_STRCASEEQ(workdir.c_str(), info.workdir.c_str()) << link;
}

} // namespace

TEST_F(DesktopTest, RunsAsTheFamilyItWasStartedFor)
{
    const char *version = getenv("KORVU_WINVER");
    ASSERT_TRUE(version != NULL);
    DWORD family =
        std::string(version) == "win98" ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(family, g_osvi.dwPlatformId) << version;
    EXPECT_NE("", ProgramsFolder());
    EXPECT_NE("", DesktopFolder());
}

TEST_F(DesktopTest, GroupAndShortcutsInTheFamilysFolders)
{
    ASSERT_TRUE(WriteBytes(dir + "Korvu72.exe", "program"));
    SetupOptions options = MakeOptions(dir, dir + "Data", dir);
    std::vector<std::string> boxes = RunShortcuts(&options, false);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    std::string group = ProgramsFolder() + "\\Korvu ark 7.2";
    std::string workdir = dir.substr(0, dir.size() - 1);
    ExpectLink(group + "\\Korvu 7.2.lnk", dir + "Korvu72.exe", workdir);
    ExpectLink(DesktopFolder() + "\\Korvu 7.2.lnk", dir + "Korvu72.exe", workdir);
    EXPECT_FALSE(Exists(group + "\\KorvuReference.lnk")) << "no help file, no reference shortcut";
    EXPECT_FALSE(Exists(OtherProgramsFolder() + "\\Korvu ark 7.2")) << "the other family's folder";

    // Again over the same group (a reinstallation): no failure, same links.
    ASSERT_TRUE(WriteBytes(dir + "KorvuRef.chm", "help"));
    boxes = RunShortcuts(&options, false);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    ExpectLink(group + "\\Korvu 7.2.lnk", dir + "Korvu72.exe", workdir);
    ExpectLink(group + "\\KorvuReference.lnk", dir + "KorvuRef.chm", workdir);
}

TEST_F(DesktopTest, MissingProgramMakesNoShortcutAndNoMessage)
{
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, false);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    std::string group = ProgramsFolder() + "\\Korvu ark 7.2";
    EXPECT_TRUE(Exists(group));
    EXPECT_FALSE(Exists(group + "\\Korvu 7.2.lnk"));
    EXPECT_FALSE(Exists(DesktopFolder() + "\\Korvu 7.2.lnk"));
}

TEST_F(DesktopTest, RootApplicationDirectoryGivesDriveAsWorkingDirectory)
{
    ASSERT_TRUE(WriteBytes("C:\\Korvu72.exe", "program"));
    SetupOptions options = MakeOptions("C:\\", "C:\\Data", "C:\\");
    std::vector<std::string> boxes = RunShortcuts(&options, false);
    DeleteFileA("C:\\Korvu72.exe");
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    ExpectLink(ProgramsFolder() + "\\Korvu ark 7.2\\Korvu 7.2.lnk", "C:\\Korvu72.exe", "C:");
}

TEST_F(DesktopTest, ShortcutPathsThatDoNotFitAreReported)
{
    // app_path of 255 characters: the targets cannot be composed.
    std::string longApp = "C:\\" + std::string(251, 'a') + "\\";
    SetupOptions options = MakeOptions(longApp, "C:\\D", "C:\\C");
    std::vector<std::string> boxes = RunShortcuts(&options, false);
    std::string item = Status("Error - Unable to create program item ", ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(Boxes({item, item, item}), boxes);
    EXPECT_TRUE(Exists(ProgramsFolder() + "\\Korvu ark 7.2"));
}

TEST_F(DesktopTest, CreateLinkWithoutTargetMakesNothing)
{
    InitInstallTests();
    std::string link = dir + "x.lnk";
    EXPECT_EQ(0, CreateLink(NULL, (dir + "absent.exe").c_str(), link.c_str(), dir.c_str()));
    EXPECT_FALSE(Exists(link));
    ASSERT_TRUE(WriteBytes(dir + "present.exe", "p"));
    EXPECT_EQ(1, CreateLink(NULL, (dir + "present.exe").c_str(), link.c_str(), dir.c_str()));
    ExpectLink(link, dir + "present.exe", dir.substr(0, dir.size() - 1));
}

TEST_F(DesktopTest, AddGroupReportsAFolderItCannotMake)
{
    CopyDialog windows = OpenCopyDialog(NULL);
    BoxLog boxes;
    StartBoxLog(&boxes);
    EXPECT_EQ(1, AddGroup(windows.dialog, (dir + "Group").c_str()));
    EXPECT_EQ(1, AddGroup(windows.dialog, (dir + "Group").c_str())) << "already there is fine";
    EXPECT_EQ(0, AddGroup(windows.dialog, (dir + "missing\\Group").c_str()));
    std::vector<std::string> texts = StopBoxLog(&boxes);
    CloseCopyDialog(&windows);
    EXPECT_EQ(Boxes({Status("Error - Unable to add program group", ERROR_PATH_NOT_FOUND)}), texts);
}

// ---------------------------------------------------------------- Korvu orb 6.3

namespace {

struct OldInstall {
    std::string group, groupLink, groupReference, desktopLink, program;
};

OldInstall MakeOldInstall(const std::string &app, const std::string &programs,
                          const std::string &desktop)
{
    OldInstall old;
    old.group = programs + "\\Korvu orb 6.3";
    old.groupLink = old.group + "\\Korvu 6.3.lnk";
    old.groupReference = old.group + "\\KorvuReference.lnk";
    old.desktopLink = desktop + "\\Korvu 6.3.lnk";
    old.program = app + "Korvu63.exe";
    CreateDirectoryA(old.group.c_str(), NULL);
    EXPECT_TRUE(WriteBytes(old.program, "old program"));
    EXPECT_TRUE(MakeLink(old.groupLink, old.program));
    EXPECT_TRUE(MakeLink(old.groupReference, app + "KorvuRef.chm"));
    EXPECT_TRUE(MakeLink(old.desktopLink, old.program));
    return old;
}

} // namespace

TEST_F(DesktopTest, UpgradeRemovesTheOldProgramGroupAndShortcuts)
{
    OldInstall old = MakeOldInstall(dir, ProgramsFolder(), DesktopFolder());
    // The new version's shortcuts, which must stay.
    ASSERT_TRUE(WriteBytes(dir + "Korvu72.exe", "new"));
    ASSERT_TRUE(WriteBytes(dir + "KorvuRef.chm", "help"));
    SetupOptions options = MakeOptions(dir, dir, dir);
    options.upgrade = 1;
    EXPECT_TRUE(RunShortcuts(&options, false).empty());

    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_FALSE(Exists(old.program));
    EXPECT_FALSE(Exists(old.groupLink));
    EXPECT_FALSE(Exists(old.groupReference));
    EXPECT_FALSE(Exists(old.group));
    EXPECT_FALSE(Exists(old.desktopLink));
    std::string group = ProgramsFolder() + "\\Korvu ark 7.2";
    EXPECT_TRUE(Exists(group + "\\Korvu 7.2.lnk"));
    EXPECT_TRUE(Exists(group + "\\KorvuReference.lnk"));
    EXPECT_TRUE(Exists(DesktopFolder() + "\\Korvu 7.2.lnk"));
    EXPECT_TRUE(Exists(dir + "Korvu72.exe"));
}

TEST_F(DesktopTest, UpgradeWithoutTheOldProgramTouchesNothing)
{
    OldInstall old = MakeOldInstall(dir, ProgramsFolder(), DesktopFolder());
    DeleteFileA(old.program.c_str());
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_TRUE(Exists(old.groupLink));
    EXPECT_TRUE(Exists(old.groupReference));
    EXPECT_TRUE(Exists(old.desktopLink));
}

TEST_F(DesktopTest, OldGroupWithOtherFilesStays)
{
    OldInstall old = MakeOldInstall(dir, ProgramsFolder(), DesktopFolder());
    ASSERT_TRUE(WriteBytes(old.group + "\\Ledger tips.txt", "mine"));
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_FALSE(Exists(old.groupLink));
    EXPECT_FALSE(Exists(old.groupReference));
    EXPECT_FALSE(Exists(old.program));
    EXPECT_TRUE(Exists(old.group + "\\Ledger tips.txt"));
    EXPECT_FALSE(Exists(old.desktopLink));
}

TEST_F(DesktopTest, OldShortcutsAlreadyGoneStillRemoveTheProgram)
{
    ASSERT_TRUE(WriteBytes(dir + "Korvu63.exe", "old"));
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_FALSE(Exists(dir + "Korvu63.exe"));
}

TEST_F(DesktopTest, OnlyTheFamilysFoldersAreSearched)
{
    // The previous version's shortcuts in the other family's folders stay.
    std::string otherDesktop =
        FolderPath(IsNtFamily() ? CSIDL_DESKTOPDIRECTORY : CSIDL_COMMON_DESKTOPDIRECTORY);
    if (otherDesktop == DesktopFolder())
        GTEST_SKIP() << "one desktop folder for both";
    OldInstall other = MakeOldInstall(dir, OtherProgramsFolder(), otherDesktop);
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_FALSE(Exists(other.program));
    EXPECT_TRUE(Exists(other.groupLink));
    EXPECT_TRUE(Exists(other.desktopLink));
    DeleteFileA(other.desktopLink.c_str());
}

// ---------------------------------------------------------------- a full disk

TEST(FullDisk, TemplateThatDoesNotFitIsNotCreated)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, &free) || total.QuadPart > 4u << 20)
        GTEST_SKIP() << "drive Q: is not the small tmpfs (it could not be mounted)";
    InitInstallTests();
    std::string dir = "Q:\\ini\\";
    RemoveTree(dir);
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << GetLastError();
    // Fill the disk to the last byte.
    FILE *filler = fopen("Q:\\ini\\filler.bin", "wb");
    ASSERT_TRUE(filler != NULL);
    setvbuf(filler, NULL, _IONBF, 0);
    std::string chunk(512, 'f');
    while (fwrite(chunk.data(), 1, chunk.size(), filler) == chunk.size()) {
    }
    while (fwrite(chunk.data(), 1, 1, filler) == 1) {
    }
    fclose(filler);
    SetupOptions options = MakeOptions(dir, "Q:\\D", "Q:\\C");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(0, run.result);
    ASSERT_EQ(1u, run.boxes.size()) << Joined(run.boxes);
    EXPECT_EQ(0u, run.boxes[0].find(kBoth)) << run.boxes[0];
    EXPECT_FALSE(Exists(dir + "Korvu.ini")) << "an incomplete template must not stay";
    RemoveTree(dir);
}

// ---------------------------------------------------------------- Program Manager
// NT before 4.0 (run as nt351): the group through Program Manager's DDE.
// Wine's shell answers it and keeps each group as a folder of the user's
// Start-menu Programs, each item as a shortcut there: that is where these
// tests read back what Program Manager was told.

namespace {

class ProgmanTest : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (!IsNtBefore40())
            GTEST_SKIP() << "Program Manager's path is for NT before 4.0 (run as nt351)";
        groups = FolderPath(CSIDL_PROGRAMS);
        ASSERT_NE("", groups);
    }
    // Program Manager shows the group it was told to show; Wine's shell
    // opens a folder window for it in another process, a moment later
    // (groupwindows.h). Closed here, so that it neither outlives the test
    // nor shows an already removed folder.
    std::vector<std::string> RunAndCloseGroupWindow(SetupOptions *options)
    {
        std::vector<std::string> boxes = RunShortcuts(options, false);
        std::vector<std::string> titles;
        EXPECT_TRUE(CloseGroupWindows(15000, &titles)) << "a group window neither came nor went";
        EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), "Korvu ark 7.2"))
            << "Program Manager did not show the group";
        return boxes;
    }
    std::string groups;
};

bool DesktopHasNewShortcut()
{
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        if (Exists(FolderPath(csidl) + "\\Korvu 7.2.lnk"))
            return true;
    return false;
}

} // namespace

TEST_F(ProgmanTest, GroupAndItemsNoDesktopShortcut)
{
    // Blanks, a comma and parentheses in the path: Program Manager's
    // command syntax must not take them for its own.
    std::string app = ScratchDir("Progman (ark), 7.2");
    ASSERT_TRUE(WriteBytes(app + "Korvu72.exe", "program"));
    SetupOptions options = MakeOptions(app, app + "Data", app);
    std::vector<std::string> boxes = RunAndCloseGroupWindow(&options);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    std::string group = groups + "\\Korvu ark 7.2";
    std::string workdir = app.substr(0, app.size() - 1);
    ExpectLink(group + "\\Korvu 7.2.lnk", app + "Korvu72.exe", workdir);
    EXPECT_FALSE(Exists(group + "\\KorvuReference.lnk")) << "no help file, no item";
    EXPECT_FALSE(DesktopHasNewShortcut()) << "Program Manager has no desktop";
    EXPECT_FALSE(Exists(FolderPath(CSIDL_COMMON_PROGRAMS) + "\\Korvu ark 7.2"))
        << "the shell's folders are not used";

    // Again, now with the help file (a reinstallation): the group is there
    // already, which is no failure, and gets both items.
    ASSERT_TRUE(WriteBytes(app + "KorvuRef.chm", "help"));
    boxes = RunAndCloseGroupWindow(&options);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    ExpectLink(group + "\\Korvu 7.2.lnk", app + "Korvu72.exe", workdir);
    ExpectLink(group + "\\KorvuReference.lnk", app + "KorvuRef.chm", workdir);
    RemoveTree(app);
}

TEST_F(ProgmanTest, RootApplicationDirectoryGivesDriveAsWorkingDirectory)
{
    ASSERT_TRUE(WriteBytes("C:\\Korvu72.exe", "program"));
    SetupOptions options = MakeOptions("C:\\", "C:\\Data", "C:\\");
    std::vector<std::string> boxes = RunAndCloseGroupWindow(&options);
    DeleteFileA("C:\\Korvu72.exe");
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    ExpectLink(groups + "\\Korvu ark 7.2\\Korvu 7.2.lnk", "C:\\Korvu72.exe", "C:");
}

TEST_F(ProgmanTest, ItemPathsThatDoNotFitAreRefusedOncePerItem)
{
    // app_path of 255 characters: neither item's path can be composed. The
    // group is still made; nothing is cut short and sent.
    std::string longApp = "C:\\" + std::string(251, 'a') + "\\";
    SetupOptions options = MakeOptions(longApp, "C:\\D", "C:\\C");
    std::vector<std::string> boxes = RunAndCloseGroupWindow(&options);
    std::string item = Status("Error - Unable to create program item ", ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(Boxes({item, item}), boxes);
    EXPECT_TRUE(Exists(groups + "\\Korvu ark 7.2"));
}

TEST_F(ProgmanTest, UpgradeDeletesTheOldGroupAndProgram)
{
    // Korvu orb 6.3's group as Program Manager keeps it, and a group of
    // another program that must stay.
    OldInstall old = MakeOldInstall(dir, groups, DesktopFolder());
    std::string other = groups + "\\Ledger Tools";
    CreateDirectoryA(other.c_str(), NULL);
    ASSERT_TRUE(MakeLink(other + "\\Tool.lnk", old.program));
    ASSERT_TRUE(WriteBytes(dir + "Korvu72.exe", "new"));
    SetupOptions options = MakeOptions(dir, dir, dir);
    options.upgrade = 1;
    std::vector<std::string> boxes = RunAndCloseGroupWindow(&options);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);

    boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_FALSE(Exists(old.program));
    EXPECT_FALSE(Exists(old.group)) << "the group goes with all its items";
    EXPECT_TRUE(Exists(groups + "\\Korvu ark 7.2\\Korvu 7.2.lnk"));
    EXPECT_TRUE(Exists(dir + "Korvu72.exe"));
    EXPECT_TRUE(Exists(other + "\\Tool.lnk"));
    RemoveTree(other);
    DeleteFileA(old.desktopLink.c_str());
}

TEST_F(ProgmanTest, UpgradeWithoutTheOldProgramTouchesNothing)
{
    OldInstall old = MakeOldInstall(dir, groups, DesktopFolder());
    DeleteFileA(old.program.c_str());
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty()) << Joined(boxes);
    EXPECT_TRUE(Exists(old.groupLink));
    DeleteFileA(old.desktopLink.c_str());
}

TEST_F(ProgmanTest, OldGroupAlreadyGoneStillRemovesTheProgram)
{
    ASSERT_TRUE(WriteBytes(dir + "Korvu63.exe", "old"));
    SetupOptions options = MakeOptions(dir, dir, dir);
    std::vector<std::string> boxes = RunShortcuts(&options, true);
    EXPECT_TRUE(boxes.empty())
        << "Program Manager's refusal to delete a missing group is no failure: " << Joined(boxes);
    EXPECT_FALSE(Exists(dir + "Korvu63.exe"));
}

TEST_F(ProgmanTest, CommandsAreCheckedAndBounded)
{
    ProgmanConversation progman;
    ASSERT_EQ(0u, ProgmanOpen(&progman));
    const char *unknown[] = {"[NoSuchCommand(Korvu)]", NULL};
    EXPECT_EQ((UINT)DMLERR_NOTPROCESSED, ProgmanCommand(&progman, unknown))
        << "a command Program Manager refuses is reported as refused";
    // Two full paths fit; a third does not, and nothing is sent.
    std::string path(MAX_PATH - 1, 'p');
    const char *two[] = {"[DeleteItem(", path.c_str(), path.c_str(), ")]", NULL};
    const char *three[] = {"[DeleteItem(", path.c_str(), path.c_str(), path.c_str(), ")]", NULL};
    EXPECT_NE((UINT)ERROR_FILENAME_EXCED_RANGE, ProgmanCommand(&progman, two));
    EXPECT_EQ((UINT)ERROR_FILENAME_EXCED_RANGE, ProgmanCommand(&progman, three));
    ProgmanClose(&progman);
    EXPECT_EQ(0u, progman.instance);
    ProgmanClose(&progman); // twice is harmless
}
