// The removal of Korvu orb 6.3: its program, group and shortcuts go, the
// new version's stay.
#include "desktoptest.h"

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
