// mcftool build and the names it stores: awkward names through the code
// page, other code pages, refusals that name the file, what Windows cannot
// hold; and the name rules by themselves.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "container.h"
#include "names.h"
#include "payloadcheck.h"
#include "peres.h"
#include "peres_write.h"
#include "stub.h"
#include "tooltest.h"

namespace {

// Awkward but legal: what a shell or a careless quoting would break, and
// names outside ASCII that code page 1252 has.
const std::vector<std::string> &AwkwardNames()
{
    static const std::vector<std::string> names = {"Read me.txt",
                                                   "it's.txt",
                                                   "cost$HOME.txt",
                                                   "a&b #1.txt",
                                                   "x`whoami`y.txt",
                                                   "caf\xC3\xA9.txt",
                                                   "\xC3\x84rger.txt",
                                                   "\xE2\x82\xAC"
                                                   "100.txt",
                                                   "-rf",
                                                   "[x];(y)=z,%20.txt",
                                                   ".hidden",
                                                   std::string(241, 'l') + "\xC3\xA9.txt"};
    return names;
}

TEST_F(Build, AFolderOfAwkwardNamesRoundTripsThroughTheCodePage)
{
    Folder("app");
    for (const std::string &n : AwkwardNames())
        Write("app/" + n, Str("contents of " + n + "\r\n"));
    Result r = Run("build --stub stub.exe setup.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    // Stored as Windows-1252 bytes, e.g. "caf\xE9.txt", the long name in 246.
    std::map<std::string, uint32_t> stored = StoredNames("setup.exe");
    EXPECT_EQ(stored.size(), AwkwardNames().size());
    EXPECT_TRUE(stored.count("caf\xE9.txt"));
    EXPECT_TRUE(stored.count("\xC4rger.txt"));
    EXPECT_TRUE(stored.count("\x80"
                             "100.txt"));
    EXPECT_TRUE(stored.count(std::string(241, 'l') + "\xE9.txt"));

    // list and extract convert back: the same names, the same bytes.
    r = Run("list setup.exe");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string &n : AwkwardNames())
        EXPECT_NE(r.out.find(" " + n + "\n"), std::string::npos) << n << "\n" << r.out;
    r = Run("extract setup.exe out");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string &n : AwkwardNames())
        EXPECT_EQ(Read("out/" + n), Str("contents of " + n + "\r\n")) << n;
    EXPECT_EQ(Run("verify setup.exe").status, 0);
}

TEST_F(Build, OtherCodePagesConvertAndRefuseByName)
{
    Folder("ru");
    Write("ru/\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt", Str("1251")); // привет.txt
    Result r = Run("build --stub stub.exe setup.exe ru");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("U+043F"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("code page 1252 lacks"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("setup.exe"));

    r = Run("build --codepage 1251 --stub stub.exe setup.exe ru");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(StoredNames("setup.exe").count("\xEF\xF0\xE8\xE2\xE5\xF2.txt"));
    r = Run("list --codepage 1251 setup.exe");
    EXPECT_NE(r.out.find("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt"), std::string::npos)
        << r.out;
    EXPECT_EQ(Run("verify --codepage 1251 setup.exe").status, 0);

    // In code page 932 the second byte of 表 is 0x5C, a backslash to the
    // installer's own check.
    Folder("jp");
    Write("jp/\xE8\xA1\xA8.txt", Str("932"));
    r = Run("build --codepage 932 --stub stub.exe jp.exe jp");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("reads as \\"), std::string::npos) << r.err;
    for (const char *cp : {"65001", "437", "abc"}) {
        r = Run(std::string("build --codepage ") + cp + " --stub stub.exe x.exe ru");
        EXPECT_NE(r.status, 0) << cp;
        EXPECT_FALSE(Exists("x.exe")) << cp;
    }
}

TEST_F(Build, EveryRefusalNamesTheFileAndLeavesNoOutput)
{
    struct Case {
        const char *name;
        const char *reason;
    };
    const Case cases[] = {
        {"aux", "device name AUX"},
        {"NUL", "device name NUL"},
        {"COM1.log", "device name COM1"},
        {"con.txt", "device name CON"},
        {"Lpt9.tar.gz", "device name LPT9"},
        {"prn .txt", "device name PRN"},
        {"q?.txt", "has ?"},
        {"a<b>c.txt", "has < >"},
        {"pipe|star*.txt", "has | *"},
        {"back\\slash", "has \\"},
        {"colon:x", "has :"},
        {"quote\"d", "has \""},
        {"dot.", "ends in a dot"},
        {"blank ", "ends in a blank"},
        {"tab\tname", "control character"},
        {"snow\xE2\x98\x83.txt", "U+2603"},
        {"~KV+Korvu72.exe", "begins with ~kv"},
        {"~kv", "begins with ~kv"},
    };
    Write("keep.exe", Str("an earlier installer"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(system(("rm -rf '" + Path("app") + "'").c_str()), 0);
        Folder("app");
        Write("app/good.txt", Str("good"));
        Write(std::string("app/") + c.name, Str("bad"));
        Result r = Run("build --stub stub.exe setup.exe app");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(Printable(std::string("app/") + c.name) + ": cannot be packed"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("good.txt"), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("setup.exe"));
        r = Run("build -f --stub stub.exe keep.exe app");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(Read("keep.exe"), Str("an earlier installer"));
    }
}

TEST_F(Build, FoldersSpecialFilesAndSetsThatWindowsCannotHold)
{
    // All at once: one line per offending file, nothing written.
    Folder("app");
    Write("app/good.txt", Str("good"));
    Folder("app/help");
    Write("app/help/i.htm", Str("<p>"));
    ASSERT_EQ(symlink("/tmp", Path("app/linked").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", Path("app/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("app/fifo").c_str(), 0644), 0);
    Write("app/\xC3\x84.txt", Str("upper"));
    Write("app/\xC3\xA4.txt", Str("lower")); // one file on Windows with Ä.txt
    Write("app/" + std::string(247, 'n'), Str("too long behind C:\\Korvu\\"));
    Write("app/" + std::string(246, 'm'), Str("just fits"));
    Result r = Run("build --stub stub.exe setup.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("app/help: cannot be packed: is a folder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("app/linked: cannot be packed: is a symbolic link to a folder"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("app/dangling: cannot be packed: is a symbolic link to nothing"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("app/fifo: cannot be packed: is a special file"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("app/\xC3\xA4.txt: cannot be packed: is the same file on Windows as "
                         "\xC3\x84.txt"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(std::string(247, 'n') + ": cannot be packed: is 247 bytes"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 6) << r.err;
    EXPECT_FALSE(Exists("setup.exe"));

    // A symbolic link to a regular file is its file.
    ASSERT_EQ(system(("rm -rf '" + Path("app") + "'").c_str()), 0);
    Folder("app");
    Write("target.txt", Str("through a link"));
    ASSERT_EQ(symlink("../target.txt", Path("app/via-link.txt").c_str()), 0);
    r = Run("build --stub stub.exe setup.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(StoredNames("setup.exe").count("via-link.txt"));

    // Nothing to install is not an installer.
    Folder("empty");
    for (const char *args : {"empty", "no-such-folder", ""}) {
        r = Run(std::string("build -f --stub stub.exe out.exe ") + args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_FALSE(Exists("out.exe")) << args;
    }
    EXPECT_NE(Run("build --stub stub.exe out.exe empty").err.find("empty: is empty"),
              std::string::npos);
    EXPECT_NE(Run("build --stub stub.exe out.exe no-such-folder").err.find("no-such-folder"),
              std::string::npos);
}

// The name rules by themselves, where a message would hide a wrong answer.
TEST(NameRules, DevicesCaseAndLengthAsWindowsSeesThem)
{
    CodePage cp;
    std::string why;
    ASSERT_TRUE(cp.Open(1252, &why)) << why;
    auto fine = [&](const std::string &name) {
        std::string ansi;
        EXPECT_TRUE(cp.FromUtf8(name, &ansi, &why)) << name;
        return NameProblems(name, ansi, cp).empty();
    };
    for (const char *ok : {"console.txt", "COM0", "COM10", "LPT", "auxiliary", "nul_", "CON_x",
                           ".profile", "a..b", "Korvu72.exe"})
        EXPECT_TRUE(fine(ok)) << ok;
    for (const char *bad : {"CON", "con", "Aux.h", "nul.tar.gz", "COM9", "lpt1.x", "COM\xC2\xB9",
                            "NUL .txt", ".", "..", " "})
        EXPECT_FALSE(fine(bad)) << bad;
    EXPECT_TRUE(fine(std::string(LongestNameBehindDefaultDir(), 'x')));
    EXPECT_FALSE(fine(std::string(LongestNameBehindDefaultDir() + 1, 'x')));
    EXPECT_EQ(LongestNameBehindDefaultDir(), 246u) << "with the installer's temporary name";

    std::vector<CheckedName> set = CheckUtf8Names({"\xC3\x89t\xC3\xA9.txt", "\xC3\xA9T\xC3\x89.TXT",
                                                   "Stra\xC3\x9F"
                                                   "e",
                                                   "STRASSE", "a", "a"},
                                                  cp);
    EXPECT_TRUE(set[0].reasons.empty());
    EXPECT_EQ(set[1].reasons.size(), 1u) << "Été.txt and éTÉ.TXT are one file on Windows";
    EXPECT_TRUE(set[3].reasons.empty()) << "Windows does not fold ß to SS";
    EXPECT_EQ(set[5].reasons, std::vector<std::string>{"is there twice"});

    // Back from the code page: bytes it does not define are refused.
    std::vector<CheckedName> back = CheckAnsiNames({"caf\xE9", "\x81"}, cp);
    EXPECT_EQ(back[0].utf8, "caf\xC3\xA9");
    EXPECT_TRUE(back[0].reasons.empty());
    EXPECT_FALSE(back[1].reasons.empty());
}

} // namespace
