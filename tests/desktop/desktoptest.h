// The fixture and helpers the desktop tests share: a scratch application
// directory per test, the family's shell folders, the shortcut step run
// through the real copy dialog, and Korvu orb 6.3's group and shortcuts.
#ifndef KORVU_TESTS_DESKTOP_DESKTOPTEST_H
#define KORVU_TESTS_DESKTOP_DESKTOPTEST_H

#include "desktop.h"
#include "installtest.h"
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

std::vector<std::string> Boxes(std::initializer_list<std::string> list);
std::string Status(const char *message, int status);

bool IsNtFamily();
std::string ProgramsFolder();
std::string DesktopFolder();
std::string OtherProgramsFolder();

std::vector<std::string> RunShortcuts(SetupOptions *options, bool upgradeStep);
void ExpectLink(const std::string &link, const std::string &target, const std::string &workdir);

struct OldInstall {
    std::string group, groupLink, groupReference, desktopLink, program;
};

OldInstall MakeOldInstall(const std::string &app, const std::string &programs,
                          const std::string &desktop);

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

#endif
