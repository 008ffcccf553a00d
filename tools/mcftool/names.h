// File names as the installer will create them: converted between the build
// machine's UTF-8 and the target's Windows ANSI code page, and checked
// against what Windows cannot create (device names, forbidden characters,
// trailing dots and blanks, names that are one file on Windows, names too
// long for the default application directory). build, pack, list, verify and
// extract all go through these functions, so they agree on every name.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

const int kDefaultCodePage = 1252;

// The default application directory; every name must fit behind it in
// MAX_PATH (260 bytes with the terminating zero).
extern const char kDefaultAppDir[];
const size_t kWindowsMaxPath = 260;
// The longest ANSI name that fits behind kDefaultAppDir, also as the
// installer's temporary name (MCF_TEMP_NAME_EXTRA characters longer).
size_t LongestNameBehindDefaultDir();

// A Windows ANSI code page (874, 932, 936, 949, 950, 1250-1258), converted
// through iconv. Copyable handles are not needed; one per command run.
class CodePage {
public:
    CodePage();
    ~CodePage();
    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;

    // Opens code page `number`; false with *why when it is not a Windows
    // ANSI code page or this system cannot convert it.
    bool Open(int number, std::string *why);
    int number() const { return number_; }
    // 1 for the double-byte code pages (932, 936, 949, 950).
    bool double_byte() const;

    // UTF-8 to the code page. False, with *why naming the first character
    // the code page lacks (or the invalid UTF-8), when it cannot be done.
    bool FromUtf8(const std::string &utf8, std::string *ansi, std::string *why) const;
    // The code page to UTF-8. False with *why on a byte sequence the code
    // page does not define.
    bool ToUtf8(const std::string &ansi, std::string *utf8, std::string *why) const;

private:
    int number_;
    void *to_ansi_;
    void *from_ansi_;
};

// Parses "--codepage N"'s N. False when N is not a number.
bool ParseCodePageNumber(const char *text, int *number);

// Why Windows (or the installer) cannot create a file of this name in the
// application directory: one reason per broken rule, empty when the name is
// fine. `utf8` is the name as the build machine spells it, `ansi` the same
// name in the code page (as stored in the container).
std::vector<std::string> NameProblems(const std::string &utf8, const std::string &ansi,
                                      const CodePage &cp);

// The name's identity on Windows: case-folded (Unicode simple uppercase),
// so that two names with the same key are one file there.
std::u32string WindowsNameKey(const std::string &utf8);

// A name of a set being checked together (a build's or a container's files).
struct CheckedName {
    std::string utf8;                 // as given or as converted back
    std::string ansi;                 // as stored in the container
    std::vector<std::string> reasons; // empty when the name is fine
};

// Checks a set of names given in UTF-8: converts each, applies NameProblems
// and marks every name that is one file on Windows with an earlier one.
std::vector<CheckedName> CheckUtf8Names(const std::vector<std::string> &utf8_names,
                                        const CodePage &cp);

// The same for names read from a container, in the code page: converted
// back to UTF-8 (a name that does not convert keeps its bytes and says so).
std::vector<CheckedName> CheckAnsiNames(const std::vector<std::string> &ansi_names,
                                        const CodePage &cp);

// A name for messages: printable as it stands, control characters and
// invalid bytes written as \xNN.
std::string Printable(const std::string &name);

// Several reasons as one message: joined with "; ".
std::string JoinReasons(const std::vector<std::string> &reasons);
