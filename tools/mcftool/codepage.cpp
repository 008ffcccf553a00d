// Code-page conversion through iconv: the names as the build machine spells
// them (UTF-8) and as the installer stores them (a Windows ANSI code page).
#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <stdlib.h>

#include "names.h"
#include "utf8.h"

namespace {

const int kAnsiCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                              1252, 1253, 1254, 1255, 1256, 1257, 1258};

iconv_t AsIconv(void *p)
{
    return (iconv_t)p;
}

// Runs one whole conversion; false with the offset of the first byte that
// did not convert.
bool Convert(void *handle, const std::string &in, std::string *out, size_t *bad_at)
{
    iconv_t cd = AsIconv(handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out->clear();
    char *src = const_cast<char *>(in.data());
    size_t src_left = in.size();
    char buffer[256];
    while (src_left > 0) {
        char *dst = buffer;
        size_t dst_left = sizeof buffer;
        size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        out->append(buffer, dst - buffer);
        if (r == (size_t)-1 && errno != E2BIG) {
            *bad_at = in.size() - src_left;
            return false;
        }
        // glibc counts irreversible (substituted) conversions; none allowed.
        if (r != (size_t)-1 && r > 0) {
            *bad_at = in.size() - src_left;
            return false;
        }
    }
    char *dst = buffer;
    size_t dst_left = sizeof buffer;
    if (iconv(cd, nullptr, nullptr, &dst, &dst_left) == (size_t)-1) {
        *bad_at = in.size();
        return false;
    }
    out->append(buffer, dst - buffer);
    return true;
}

} // namespace

CodePage::CodePage() : number_(0), to_ansi_((void *)-1), from_ansi_((void *)-1) {}

CodePage::~CodePage()
{
    if (to_ansi_ != (void *)-1)
        iconv_close(AsIconv(to_ansi_));
    if (from_ansi_ != (void *)-1)
        iconv_close(AsIconv(from_ansi_));
}

bool CodePage::Open(int number, std::string *why)
{
    bool known = false;
    for (int n : kAnsiCodePages)
        known = known || n == number;
    if (!known) {
        *why = "code page " + std::to_string(number) +
               " is not a Windows ANSI code page (874, 932, 936, 949, 950, 1250-1258)";
        return false;
    }
    std::string name = "CP" + std::to_string(number);
    iconv_t to = iconv_open(name.c_str(), "UTF-8");
    iconv_t from = iconv_open("UTF-8", name.c_str());
    if (to == (iconv_t)-1 || from == (iconv_t)-1) {
        if (to != (iconv_t)-1)
            iconv_close(to);
        if (from != (iconv_t)-1)
            iconv_close(from);
        *why = "this system's iconv cannot convert code page " + std::to_string(number);
        return false;
    }
    number_ = number;
    to_ansi_ = (void *)to;
    from_ansi_ = (void *)from;
    return true;
}

bool CodePage::double_byte() const
{
    return number_ == 932 || number_ == 936 || number_ == 949 || number_ == 950;
}

bool CodePage::FromUtf8(const std::string &utf8, std::string *ansi, std::string *why) const
{
    std::u32string cps;
    size_t bad;
    if (!DecodeUtf8(utf8, &cps, &bad)) {
        char buf[80];
        snprintf(buf, sizeof buf, "is not UTF-8 (byte 0x%02X at offset %zu)",
                 (unsigned char)utf8[bad], bad);
        *why = buf;
        return false;
    }
    if (!Convert(to_ansi_, utf8, ansi, &bad)) {
        *why = "has " + DescribeCharAt(utf8, bad) + ", which code page " + std::to_string(number_) +
               " lacks";
        return false;
    }
    return true;
}

bool CodePage::ToUtf8(const std::string &ansi, std::string *utf8, std::string *why) const
{
    size_t bad;
    if (!Convert(from_ansi_, ansi, utf8, &bad)) {
        char buf[96];
        snprintf(buf, sizeof buf,
                 "has the byte 0x%02X at offset %zu, which code page %d does not define",
                 bad < ansi.size() ? (unsigned char)ansi[bad] : 0, bad, number_);
        *why = buf;
        return false;
    }
    return true;
}

bool ParseCodePageNumber(const char *text, int *number)
{
    char *end;
    errno = 0;
    long n = strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || errno != 0 || n <= 0 || n > 65535)
        return false;
    *number = (int)n;
    return true;
}
