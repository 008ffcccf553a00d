// Bounded composition: every refusal leaves the buffer as it was.
#include "textbuf.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>

TEST(TextBuf, CopyAndAppendFitExactlyOrRefuse)
{
    char buf[8];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(1, CopyText(buf, sizeof buf, "1234567")); // 7 + terminator
    EXPECT_STREQ("1234567", buf);
    EXPECT_EQ(0, CopyText(buf, sizeof buf, "12345678"));
    EXPECT_STREQ("1234567", buf);

    EXPECT_EQ(1, CopyText(buf, sizeof buf, "abc"));
    EXPECT_EQ(1, AppendText(buf, sizeof buf, "defg"));
    EXPECT_STREQ("abcdefg", buf);
    EXPECT_EQ(0, AppendText(buf, sizeof buf, "h"));
    EXPECT_STREQ("abcdefg", buf);
    EXPECT_EQ(1, AppendText(buf, sizeof buf, ""));
}

TEST(TextBuf, JoinMayUseTheOutputAsEitherInput)
{
    char buf[16] = "Acct";
    EXPECT_EQ(1, JoinText(buf, sizeof buf, buf, buf));
    EXPECT_STREQ("AcctAcct", buf);
    EXPECT_EQ(1, JoinText(buf, sizeof buf, "C:\\", buf));
    EXPECT_STREQ("C:\\AcctAcct", buf);
    EXPECT_EQ(0, JoinText(buf, sizeof buf, buf, "12345")); // 16 with terminator
    EXPECT_STREQ("C:\\AcctAcct", buf);
    EXPECT_EQ(1, JoinText(buf, sizeof buf, buf, "1234"));
    EXPECT_STREQ("C:\\AcctAcct1234", buf);
}

TEST(TextBuf, Backslashes)
{
    char buf[260] = "C:\\Korvu";
    EXPECT_EQ(0, EndsWithBackslash(buf));
    EXPECT_EQ(1, EnsureBackslash(buf, sizeof buf));
    EXPECT_STREQ("C:\\Korvu\\", buf);
    EXPECT_EQ(1, EnsureBackslash(buf, sizeof buf));
    EXPECT_STREQ("C:\\Korvu\\", buf);
    strcpy(buf, "C:\\\\");
    DropBackslash(buf);
    EXPECT_STREQ("C:\\", buf); // only one
    buf[0] = '\0';
    DropBackslash(buf);
    EXPECT_EQ(0, EndsWithBackslash(buf));

    std::string full(259, 'x');
    strcpy(buf, full.c_str());
    EXPECT_EQ(0, EnsureBackslash(buf, sizeof buf));
    EXPECT_EQ(259u, strlen(buf));
}
