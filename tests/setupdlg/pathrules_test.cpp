// The text rules of the directory boxes, and the walk over a path's levels.
#include "pathrules.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

// A 260-byte path buffer with a guard area behind it, pre-filled with junk
// so that an untouched or overrun buffer shows.
struct PathBuf {
    char text[260];
    char guard[64];
    explicit PathBuf(const std::string &initial)
    {
        memset(text, 'Z', sizeof text);
        memset(guard, 'G', sizeof guard);
        memcpy(text, initial.c_str(), initial.size() + 1);
    }
    bool GuardIntact() const
    {
        for (char c : guard) {
            if (c != 'G')
                return false;
        }
        return true;
    }
};

std::string Trimmed(std::string text)
{
    PathBuf buf(text);
    EXPECT_EQ(buf.text, TrimSpaces(buf.text));
    return buf.text;
}

TEST(TrimSpaces, DropsOnlySpacesAroundTheText)
{
    EXPECT_EQ("", Trimmed("   "));
    EXPECT_EQ("", Trimmed(""));
    EXPECT_EQ("a b", Trimmed(" a b "));
    EXPECT_EQ("C:\\Acct7", Trimmed("  C:\\Acct7  "));
    EXPECT_EQ("\tx\t", Trimmed("\tx\t")); // a tab is not a space
    EXPECT_EQ("\t x", Trimmed(" \t x  "));
    EXPECT_EQ("x", Trimmed("x"));
    EXPECT_EQ("x", Trimmed("x      "));
}

TEST(TrimSpaces, LongestTextStaysInItsBuffer)
{
    std::string text = " " + std::string(257, 'a') + " ";
    PathBuf buf(text);
    TrimSpaces(buf.text);
    EXPECT_EQ(std::string(257, 'a'), buf.text);
    EXPECT_TRUE(buf.GuardIntact());
}

TEST(IsBlank, EmptyOrSpacesOnly)
{
    EXPECT_EQ(1, IsBlank(""));
    EXPECT_EQ(1, IsBlank("    "));
    EXPECT_EQ(0, IsBlank(" x"));
    EXPECT_EQ(0, IsBlank("\t"));
    EXPECT_EQ(0, IsBlank("x "));
}

struct Completion {
    int result;
    std::string path;
};

Completion Complete(const std::string &path, const std::string &base, int addBackslash)
{
    PathBuf buf(path);
    int result = ValidateAndCompletePath(buf.text, base.c_str(), addBackslash);
    EXPECT_TRUE(buf.GuardIntact()) << "path " << path << " base " << base;
    return {result, buf.text};
}

#define EXPECT_COMPLETES(want, p, b, opt)                                           \
    do {                                                                            \
        Completion c_ = Complete(p, b, opt);                                        \
        EXPECT_EQ(1, c_.result) << "path " << (p) << " base " << (b);               \
        EXPECT_EQ(std::string(want), c_.path) << "path " << (p) << " base " << (b); \
    } while (0)

#define EXPECT_REFUSED(p, b, opt)                                                   \
    do {                                                                            \
        Completion c_ = Complete(p, b, opt);                                        \
        EXPECT_EQ(0, c_.result) << "path " << (p) << " base " << (b);               \
        EXPECT_EQ(std::string(p), c_.path) << "a refused path must stay as it was"; \
    } while (0)

TEST(ValidateAndCompletePath, DriveAndRootedPathsAreTakenAsTheyStand)
{
    EXPECT_COMPLETES("C:\\Acct7", "C:\\Acct7", "X:\\base\\", 0);
    EXPECT_COMPLETES("C:\\Acct7\\", "C:\\Acct7", "X:\\base\\", 1);
    EXPECT_COMPLETES("C:\\Acct7\\", "C:\\Acct7\\", "X:\\base\\", 1);
    EXPECT_COMPLETES("c:acct", "c:acct", "X:\\base\\", 0);
    EXPECT_COMPLETES("z:\\", "z:\\", "X:\\base\\", 1);
    EXPECT_COMPLETES("\\Acct7", "\\Acct7", "X:\\base\\", 0);
    EXPECT_COMPLETES("\\\\server\\share\\Acct7", "\\\\server\\share\\Acct7", "X:\\base\\", 0);
}

TEST(ValidateAndCompletePath, ColonOnlyAfterALetterInSecondPlace)
{
    EXPECT_REFUSED("1:\\Acct7", "C:\\", 1);
    EXPECT_REFUSED("C:\\Acct7:x", "C:\\", 1);
    EXPECT_REFUSED(":", "C:\\", 1);
    EXPECT_REFUSED("Acct:", "C:\\", 0);
    EXPECT_REFUSED("\\\\srv\\a:b", "C:\\", 0);
    EXPECT_REFUSED("\xC4:\\x", "C:\\", 0); // letters are ASCII only
    EXPECT_REFUSED("", "C:\\", 1);
}

TEST(ValidateAndCompletePath, RelativeTextGoesUnderTheBase)
{
    EXPECT_COMPLETES("C:\\Acct7\\Data", "Data", "C:\\Acct7\\", 0);
    EXPECT_COMPLETES("C:\\Acct7\\Data\\", "Data", "C:\\Acct7\\", 1);
    EXPECT_COMPLETES("C:\\Acct7\\a b\\c", "a b\\c", "C:\\Acct7\\", 0);
    // Base and path may be one buffer: the text is joined to itself.
    PathBuf same("Acct");
    EXPECT_EQ(1, ValidateAndCompletePath(same.text, same.text, 1));
    EXPECT_STREQ("AcctAcct\\", same.text);
}

TEST(ValidateAndCompletePath, ResultsBeyond259CharactersAreRefused)
{
    std::string app = "C:\\" + std::string(256, 'a'); // 259 characters
    EXPECT_REFUSED(app, "", 1);                       // no room for the backslash
    EXPECT_COMPLETES(app, app, "", 0);
    std::string app258 = "C:\\" + std::string(255, 'a');
    EXPECT_COMPLETES(app258 + "\\", app258, "", 1);
    std::string base = "C:\\" + std::string(250, 'b') + "\\"; // 254 characters
    EXPECT_COMPLETES(base + "Data\\", "Data", base, 1);       // 259
    EXPECT_REFUSED("Data1", base, 1);
    EXPECT_REFUSED("Data12", base, 0);
    EXPECT_COMPLETES(base + "Data1", "Data1", base, 0);
}

TEST(IsRootedPath, DriveLetterOrLeadingBackslash)
{
    EXPECT_EQ(1, IsRootedPath("C:\\Acct7"));
    EXPECT_EQ(1, IsRootedPath("c:acct"));
    EXPECT_EQ(1, IsRootedPath("\\Acct7"));
    EXPECT_EQ(1, IsRootedPath("\\\\server\\share"));
    EXPECT_EQ(0, IsRootedPath("Acct7"));
    EXPECT_EQ(0, IsRootedPath("1:\\Acct7"));
    EXPECT_EQ(0, IsRootedPath("."));
    EXPECT_EQ(0, IsRootedPath(""));
}

TEST(DeriveDataPath, OneBackslashBeforeDataAndBounded)
{
    char out[260];
    ASSERT_EQ(1, DeriveDataPath(out, sizeof out, "C:\\Acct7"));
    EXPECT_STREQ("C:\\Acct7\\Data", out);
    ASSERT_EQ(1, DeriveDataPath(out, sizeof out, "C:\\Acct7\\"));
    EXPECT_STREQ("C:\\Acct7\\Data", out);
    ASSERT_EQ(1, DeriveDataPath(out, sizeof out, "C:\\"));
    EXPECT_STREQ("C:\\Data", out);

    std::string fits = "C:\\" + std::string(251, 'a'); // +"\Data" = 259
    ASSERT_EQ(1, DeriveDataPath(out, sizeof out, fits.c_str()));
    EXPECT_EQ(fits + "\\Data", out);
    strcpy(out, "untouched");
    std::string longer = fits + "a";
    EXPECT_EQ(0, DeriveDataPath(out, sizeof out, longer.c_str()));
    EXPECT_STREQ("untouched", out);
}

// Records every level the walk asks for and answers from a script.
struct Recorder {
    std::vector<std::string> levels;
    std::vector<int> answers; // one per level; 0 once they run out
};

int RecordLevel(const char *level, void *context)
{
    Recorder *r = static_cast<Recorder *>(context);
    size_t i = r->levels.size();
    r->levels.push_back(level);
    return i < r->answers.size() ? r->answers[i] : 0;
}

struct Walk {
    int result;
    std::vector<std::string> levels;
    std::string after;
};

Walk WalkOf(const std::string &path, std::vector<int> answers = {})
{
    Recorder r;
    r.answers = answers;
    PathBuf buf(path);
    int result = WalkDirLevels(buf.text, RecordLevel, &r);
    return {result, r.levels, buf.text};
}

using Levels = std::vector<std::string>;

TEST(WalkDirLevels, EachLevelOnceOutermostFirst)
{
    Walk w = WalkOf("C:\\A\\B\\");
    EXPECT_EQ(0, w.result);
    EXPECT_EQ((Levels{"C:\\A", "C:\\A\\B"}), w.levels);
    EXPECT_EQ("C:\\A\\B\\", w.after) << "the path must be left as it was";

    w = WalkOf("C:\\A\\\\B");
    EXPECT_EQ((Levels{"C:\\A", "C:\\A\\\\B"}), w.levels);
    w = WalkOf("A\\B");
    EXPECT_EQ((Levels{"A", "A\\B"}), w.levels);
    w = WalkOf("\\Acct7\\x");
    EXPECT_EQ((Levels{"\\Acct7", "\\Acct7\\x"}), w.levels);
    w = WalkOf("c:acct\\d");
    EXPECT_EQ((Levels{"c:acct", "c:acct\\d"}), w.levels);
}

TEST(WalkDirLevels, RootsAndNetworkPaths)
{
    Walk w = WalkOf("C:\\");
    EXPECT_EQ(0, w.result);
    EXPECT_TRUE(w.levels.empty());
    w = WalkOf("\\\\server\\share\\dir");
    EXPECT_EQ((Levels{"\\\\server\\share\\dir"}), w.levels);
    w = WalkOf("\\\\server\\share\\");
    EXPECT_EQ(0, w.result);
    EXPECT_TRUE(w.levels.empty());
    for (const char *incomplete : {"\\\\server\\share", "\\\\server", "\\\\", ""}) {
        w = WalkOf(incomplete);
        EXPECT_EQ(3, w.result) << incomplete;
        EXPECT_TRUE(w.levels.empty()) << incomplete << " attempted " << w.levels.size();
    }
}

TEST(WalkDirLevels, WhichCodesLetTheWalkGoOn)
{
    Walk w = WalkOf("C:\\A\\B\\C", {183, 183, 183});
    EXPECT_EQ(183, w.result);
    EXPECT_EQ(3u, w.levels.size());
    w = WalkOf("C:\\A\\B\\C", {5, 0, 0});
    EXPECT_EQ(0, w.result);
    EXPECT_EQ(3u, w.levels.size()) << "access denied on an outer level is passed over";
    w = WalkOf("C:\\A\\B", {183, 5});
    EXPECT_EQ(5, w.result) << "access denied on the innermost level is returned";
    w = WalkOf("C:\\A\\B\\C", {3, 0, 0});
    EXPECT_EQ(3, w.result);
    EXPECT_EQ((Levels{"C:\\A"}), w.levels);
    EXPECT_EQ("C:\\A\\B\\C", w.after);
    w = WalkOf("C:\\A\\B\\C", {0, 123, 0});
    EXPECT_EQ(123, w.result);
    EXPECT_EQ(2u, w.levels.size());
}

} // namespace

TEST(AppPathLimit, DirectoryBackslashAndLongestNameFit259Characters)
{
    // Each name with the 4 characters of its temporary name.
    EXPECT_EQ(240u, AppPathLimit(0)) << "Korvu.ini alone leaves 249; 240 is the most ever";
    EXPECT_EQ(240u, AppPathLimit(14));
    EXPECT_EQ(239u, AppPathLimit(15));
    EXPECT_EQ(60u, AppPathLimit(194));
    EXPECT_EQ(8u, AppPathLimit(246)) << "C:\\Korvu, the default, still fits";
    EXPECT_EQ(0u, AppPathLimit(254));
    EXPECT_EQ(0u, AppPathLimit(259));
    EXPECT_EQ(0u, AppPathLimit(100000));
}
