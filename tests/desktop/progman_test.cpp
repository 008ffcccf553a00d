// NT before 4.0 (run as nt351): the group through Program Manager's DDE.
// Wine's shell answers it and keeps each group as a folder of the user's
// Start-menu Programs, each item as a shortcut there: that is where these
// tests read back what Program Manager was told.
#include "desktoptest.h"
#include "groupwindows.h"
#include "progman.h"

#include <algorithm>

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
