// The log of unattended runs: appended, one line per event, line breaks of
// a message folded.
#include "log.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <string>
#include <unistd.h>

TEST(Log, AppendsOneLinePerEvent)
{
    char path[] = "/tmp/korvu-log-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(12, write(fd, "earlier run\n", 12));
    close(fd);

    LogLine("not written", NULL, NULL); // no log open: nothing, no crash
    ASSERT_EQ(1, LogOpen(path));
    LogLine("File ", "C:\\Korvu\\Korvu72.exe", NULL);
    LogLine("Error - Unable to create shortcut on the desktop \n\n(Status:5)", NULL, NULL);
    char digits[12];
    LogLine("Size ", FormatUnsigned(digits, 4294967295u), NULL);
    LogLine("a\n", "b", "\nc");
    LogClose();
    LogLine("after closing", NULL, NULL);

    FILE *f = fopen(path, "rb");
    ASSERT_NE(nullptr, f);
    char text[512] = {0};
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    unlink(path);
    EXPECT_EQ(std::string("earlier run\n"
                          "File C:\\Korvu\\Korvu72.exe\n"
                          "Error - Unable to create shortcut on the desktop   (Status:5)\n"
                          "Size 4294967295\n"
                          "a b c\n"),
              std::string(text, n));
    EXPECT_EQ(0, LogOpen("/nonexistent-dir/x.log"));
}

TEST(Log, FormatsUnsignedNumbers)
{
    char out[12];
    EXPECT_STREQ("0", FormatUnsigned(out, 0));
    EXPECT_STREQ("1234567890", FormatUnsigned(out, 1234567890u));
}
