// Name rules. They are checked on the name's characters (what Windows sees
// after converting the ANSI name) and on its bytes in the code page (what
// the installer's own checks see).
#include "names.h"

#include <errno.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wctype.h>

#include <functional>
#include <map>

#include "container.h"
#include "utf8.h"

const char kDefaultAppDir[] = "C:\\Korvu\\";

size_t LongestNameBehindDefaultDir()
{
    return kWindowsMaxPath - 1 - (sizeof kDefaultAppDir - 1) - MCF_TEMP_NAME_EXTRA;
}

namespace {

locale_t UnicodeLocale()
{
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0);
    return loc;
}

char32_t Upper(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    locale_t loc = UnicodeLocale();
    if (c < 0x80 || loc == (locale_t)0)
        return c;
    return (char32_t)towupper_l((wint_t)c, loc);
}

bool IsReservedDevice(const std::u32string &name, std::string *device)
{
    // Windows takes the part before the first dot, with trailing blanks
    // dropped, as the device name: "con.txt" and "NUL .log" are devices.
    size_t end = name.find(U'.');
    if (end == std::u32string::npos)
        end = name.size();
    while (end > 0 && name[end - 1] == U' ')
        end--;
    std::u32string base = name.substr(0, end);
    for (char32_t &c : base)
        c = Upper(c);
    static const char *const kThree[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char *d : kThree)
        if (base == std::u32string(d, d + 3)) {
            *device = d;
            return true;
        }
    if (base.size() == 4 && (base.compare(0, 3, U"COM") == 0 || base.compare(0, 3, U"LPT") == 0)) {
        char32_t digit = base[3];
        // Windows also reads the Latin-1 superscripts as port digits.
        const char *sup = digit == 0xB9   ? "\xC2\xB9"
                          : digit == 0xB2 ? "\xC2\xB2"
                          : digit == 0xB3 ? "\xC2\xB3"
                                          : nullptr;
        if ((digit >= '1' && digit <= '9') || sup) {
            *device = std::string(base[0] == 'C' ? "COM" : "LPT") +
                      (sup ? std::string(sup) : std::string(1, (char)digit));
            return true;
        }
    }
    return false;
}

} // namespace

std::u32string WindowsNameKey(const std::string &utf8)
{
    std::u32string cps;
    size_t bad;
    if (!DecodeUtf8(utf8, &cps, &bad))
        return std::u32string(utf8.begin(), utf8.end());
    for (char32_t &c : cps)
        c = Upper(c);
    return cps;
}

std::vector<std::string> NameProblems(const std::string &utf8, const std::string &ansi,
                                      const CodePage &cp)
{
    std::vector<std::string> why;
    if (utf8.empty()) {
        why.push_back("empty name");
        return why;
    }
    std::u32string cps;
    size_t bad;
    if (!DecodeUtf8(utf8, &cps, &bad)) {
        why.push_back("is not UTF-8");
        return why;
    }
    std::string forbidden;
    bool control = false;
    for (char32_t c : cps) {
        if (c < 0x20)
            control = true;
        else if (c < 0x80 && strchr("\\/:*?\"<>|", (int)c) &&
                 forbidden.find((char)c) == std::string::npos)
            forbidden += (char)c;
    }
    if (!forbidden.empty()) {
        std::string list;
        for (char c : forbidden)
            list += std::string(list.empty() ? "" : " ") + c;
        why.push_back("has " + list + ", which Windows does not allow in a file name");
    }
    if (control)
        why.push_back("has a control character, which Windows does not allow in a file name");
    if (cps.back() == U'.')
        why.push_back("ends in a dot, which Windows drops");
    else if (cps.back() == U' ')
        why.push_back("ends in a blank, which Windows drops");
    // The installer's temporary names (MCF_RESERVED_PREFIX).
    if (cps.size() >= 3 && cps[0] == U'~' && Upper(cps[1]) == U'K' && Upper(cps[2]) == U'V')
        why.push_back("begins with " MCF_RESERVED_PREFIX
                      ", which the installer keeps for its temporary files");
    std::string device;
    if (IsReservedDevice(cps, &device))
        why.push_back("is the Windows device name " + device);

    // What the installer's own check sees: the bytes in the code page.
    // In a double-byte code page a trail byte can be a backslash.
    if (forbidden.empty() && !ansi.empty()) {
        if (strpbrk(ansi.c_str(), "\\/:") || memchr(ansi.data(), 0, ansi.size()))
            why.push_back("in code page " + std::to_string(cp.number()) +
                          " has a byte the installer reads as \\ / or :");
    }
    size_t longest = LongestNameBehindDefaultDir();
    if (ansi.size() > longest)
        why.push_back("is " + std::to_string(ansi.size()) + " bytes in code page " +
                      std::to_string(cp.number()) + "; behind " + kDefaultAppDir +
                      " a name can have at most " + std::to_string(longest));
    return why;
}

namespace {

void MarkDuplicates(std::vector<CheckedName> *names)
{
    std::map<std::u32string, size_t> seen;
    for (size_t i = 0; i < names->size(); i++) {
        CheckedName &n = (*names)[i];
        auto it = seen.find(WindowsNameKey(n.utf8));
        if (it == seen.end()) {
            seen.emplace(WindowsNameKey(n.utf8), i);
            continue;
        }
        const std::string &first = (*names)[it->second].utf8;
        if (first == n.utf8)
            n.reasons.push_back("is there twice");
        else
            n.reasons.push_back("is the same file on Windows as " + Printable(first));
    }
}

void AddNameProblems(CheckedName *n, const CodePage &cp)
{
    std::vector<std::string> more = NameProblems(n->utf8, n->ansi, cp);
    n->reasons.insert(n->reasons.end(), more.begin(), more.end());
}

// Each name in both spellings, as `convert` fills them in with the reasons
// it finds, then every set that Windows would take for one file marked.
std::vector<CheckedName>
CheckNames(const std::vector<std::string> &names,
           const std::function<void(const std::string &name, CheckedName *n)> &convert)
{
    std::vector<CheckedName> out(names.size());
    for (size_t i = 0; i < names.size(); i++)
        convert(names[i], &out[i]);
    MarkDuplicates(&out);
    return out;
}

} // namespace

std::vector<CheckedName> CheckUtf8Names(const std::vector<std::string> &utf8_names,
                                        const CodePage &cp)
{
    return CheckNames(utf8_names, [&](const std::string &name, CheckedName *n) {
        n->utf8 = name;
        std::string why;
        if (!cp.FromUtf8(name, &n->ansi, &why)) {
            n->reasons.push_back(why);
            n->ansi.clear();
        }
        AddNameProblems(n, cp);
    });
}

std::vector<CheckedName> CheckAnsiNames(const std::vector<std::string> &ansi_names,
                                        const CodePage &cp)
{
    return CheckNames(ansi_names, [&](const std::string &name, CheckedName *n) {
        n->ansi = name;
        std::string why;
        if (cp.ToUtf8(name, &n->utf8, &why)) {
            AddNameProblems(n, cp);
            return;
        }
        n->utf8 = name;
        n->reasons.push_back(why);
    });
}

std::string Printable(const std::string &name)
{
    std::string out;
    std::u32string cps;
    size_t bad;
    bool utf8 = DecodeUtf8(name, &cps, &bad);
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || (!utf8 && c >= 0x80)) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += (char)c;
        }
    }
    return out;
}

std::string JoinReasons(const std::vector<std::string> &reasons)
{
    std::string all;
    for (const std::string &r : reasons)
        all += (all.empty() ? "" : "; ") + r;
    return all;
}
