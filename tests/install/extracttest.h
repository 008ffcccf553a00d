// What the extraction tests share: the fixture, the time stamp the files
// get, and a file's content read back.
#ifndef KORVU_TESTS_INSTALL_EXTRACTTEST_H
#define KORVU_TESTS_INSTALL_EXTRACTTEST_H

#include "installtest.h"
#include <gtest/gtest.h>

#include <string>

extern const FILETIME kStamp;

std::string Content(const std::string &path);

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitInstallTests();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { RemoveTree(dir); }
    std::string dir;
};

#endif
