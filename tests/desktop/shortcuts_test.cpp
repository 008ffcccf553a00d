// The program group and shortcuts in the family's shell folders, through
// the real copy dialog as owner. Runs as win98 and as winxp.
#include "desktoptest.h"

#include <stdlib.h>

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
