// DoMakeDir, ConfigFileExists and FileExists on Wine's real file system.
#include "setup.h"
#include "setupdlg.h"
#include "testfs.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>

namespace {

const std::string kRoot = "C:\\sdtest\\fs";

class PathFs : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSetupGlobals();
        FreshDir(kRoot);
    }
    void TearDown() override { RemoveTree(kRoot); }

    // DoMakeDir on a writable copy; also checks the text comes back unchanged.
    static int MakeDir(const std::string &path)
    {
        char buf[MAX_PATH];
        strcpy(buf, path.c_str());
        int result = DoMakeDir(buf);
        EXPECT_EQ(path, buf) << "DoMakeDir must leave the path as it found it";
        return result;
    }
};

TEST_F(PathFs, CreatesEveryMissingLevel)
{
    EXPECT_EQ(0, MakeDir(kRoot + "\\A\\B\\"));
    EXPECT_TRUE(DirExists(kRoot + "\\A"));
    EXPECT_TRUE(DirExists(kRoot + "\\A\\B"));

    EXPECT_EQ(0, MakeDir(kRoot + "\\A\\\\C\\\\D")); // doubled backslashes
    EXPECT_TRUE(DirExists(kRoot + "\\A\\C\\D"));

    EXPECT_EQ(0, MakeDir("C:\\")); // the root itself is never created
}

TEST_F(PathFs, ExistingLevelsCountAsSuccess)
{
    EXPECT_EQ(0, MakeDir(kRoot + "\\E\\F"));
    EXPECT_EQ(183, MakeDir(kRoot + "\\E\\F")) << "all levels there: ERROR_ALREADY_EXISTS";
    EXPECT_EQ(183, MakeDir(kRoot + "\\E\\F\\"));
    EXPECT_EQ(0, MakeDir(kRoot + "\\E\\G")) << "only the last level decides";
}

TEST_F(PathFs, RelativePathsLandInTheCurrentDirectory)
{
    char saved[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof saved, saved));
    ASSERT_TRUE(SetCurrentDirectoryA(kRoot.c_str()));
    int result = MakeDir("R1\\R2");
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(0, result);
    EXPECT_TRUE(DirExists(kRoot + "\\R1\\R2"));
}

TEST_F(PathFs, MissingDriveGivesPathNotFound)
{
    std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty()) << "no free drive letter in this prefix";
    // The first level fails and ends the walk with the system's code.
    EXPECT_EQ(MissingDriveError(), MakeDir(drive + "\\Acct7\\Data"))
        << (RunningOnWine() ? "Wine" : "Windows");
}

TEST_F(PathFs, NetworkPathsWithoutShareGivePathNotFound)
{
    EXPECT_EQ(3, MakeDir("\\\\server"));
    EXPECT_EQ(3, MakeDir("\\\\server\\share"));
    EXPECT_EQ(3, MakeDir(""));
    // With a share, only the level below it is tried (and fails: no network).
    int result = MakeDir("\\\\korvu-nohost\\share\\dir");
    EXPECT_NE(0, result);
    EXPECT_NE(183, result);
}

// The file system root belongs to root and the tests run unprivileged:
// creating Z:\<new> is refused with access denied.
TEST_F(PathFs, AccessDeniedOuterLevelIsPassedOver)
{
    char user[64];
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    // The outer level gives 5 and the walk goes on to the inner one, which
    // then fails for want of its parent (3), not with the outer 5.
    EXPECT_EQ(3, MakeDir("Z:\\korvu-no-such-dir\\inner")) << "running as " << user;
    EXPECT_EQ(5, MakeDir("Z:\\korvu-no-such-dir")) << "innermost access denied is returned";
    EXPECT_FALSE(PathExists("Z:\\korvu-no-such-dir"));
}

TEST_F(PathFs, AFileInTheWayStopsTheWalk)
{
    ASSERT_TRUE(WriteTextFile(kRoot + "\\file", "x"));
    int result = MakeDir(kRoot + "\\file\\below");
    EXPECT_NE(0, result);
    EXPECT_NE(183, result);
    EXPECT_FALSE(DirExists(kRoot + "\\file\\below"));
}

TEST_F(PathFs, ConfigFileExistsWithOrWithoutBackslash)
{
    FreshDir(kRoot + "\\Acct7");
    EXPECT_EQ(0, ConfigFileExists((kRoot + "\\Acct7").c_str()));
    ASSERT_TRUE(WriteTextFile(kRoot + "\\Acct7\\Korvu.ini", "[Korvu]\r\n"));
    EXPECT_EQ(1, ConfigFileExists((kRoot + "\\Acct7").c_str()));
    EXPECT_EQ(1, ConfigFileExists((kRoot + "\\Acct7\\").c_str()));
    EXPECT_EQ(1, ConfigFileExists((kRoot + "\\ACCT7").c_str())); // case-insensitive
    EXPECT_EQ(0, ConfigFileExists((kRoot + "\\Other").c_str()));
    EXPECT_EQ(0, ConfigFileExists("")) << "no directory, no file";

    // A directory of that name counts too.
    FreshDir(kRoot + "\\D\\Korvu.ini");
    EXPECT_EQ(1, ConfigFileExists((kRoot + "\\D").c_str()));
}

TEST_F(PathFs, ConfigFileExistsRefusesNamesBeyondTheBuffer)
{
    // 251 characters + "\Korvu.ini" would need 262 bytes.
    std::string longDir = "C:\\" + std::string(248, 'L');
    EXPECT_EQ(0, ConfigFileExists(longDir.c_str()));
    std::string longest = "C:\\" + std::string(256, 'L');
    EXPECT_EQ(0, ConfigFileExists(longest.c_str()));
    // 249 characters still fit.
    std::string fits = kRoot + "\\" + std::string(249 - kRoot.size() - 1, 'f');
    ASSERT_EQ(249u, fits.size());
    FreshDir(fits);
    ASSERT_TRUE(WriteTextFile(fits + "\\Korvu.ini", ""));
    EXPECT_EQ(1, ConfigFileExists(fits.c_str()));
}

TEST_F(PathFs, FileExistsForFilesDirectoriesAndWildcards)
{
    ASSERT_TRUE(WriteTextFile(kRoot + "\\Korvu63.exe", "MZ"));
    EXPECT_EQ(1, FileExists((kRoot + "\\Korvu63.exe").c_str()));
    EXPECT_EQ(1, FileExists(kRoot.c_str()));
    EXPECT_EQ(1, FileExists((kRoot + "\\*.exe").c_str()));
    EXPECT_EQ(0, FileExists((kRoot + "\\*.lnk").c_str()));
    EXPECT_EQ(0, FileExists((kRoot + "\\missing.exe").c_str()));
    EXPECT_EQ(0, FileExists((MissingDrive() + "\\x").c_str()));
}

} // namespace
