// UTF-8 read strictly, and characters described for messages.
#include "utf8.h"

#include <stdio.h>

// Strict UTF-8 to code points; false on anything that is not UTF-8.
bool DecodeUtf8(const std::string &s, std::u32string *out, size_t *bad_at)
{
    out->clear();
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = (unsigned char)s[i];
        char32_t cp;
        size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            n = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            cp = c & 0x0F;
            n = 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            n = 4;
        } else {
            *bad_at = i;
            return false;
        }
        if (i + n > s.size()) {
            *bad_at = i;
            return false;
        }
        for (size_t k = 1; k < n; k++) {
            unsigned char t = (unsigned char)s[i + k];
            if ((t & 0xC0) != 0x80) {
                *bad_at = i;
                return false;
            }
            cp = cp << 6 | (t & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            *bad_at = i;
            return false;
        }
        out->push_back(cp);
        i += n;
    }
    return true;
}

// The character at byte offset `at` of a UTF-8 name, for messages: "U+2603 (☃)".
std::string DescribeCharAt(const std::string &utf8, size_t at)
{
    std::u32string cps;
    size_t bad;
    std::string tail = utf8.substr(at);
    if (!DecodeUtf8(tail, &cps, &bad) && bad == 0) {
        char buf[48];
        snprintf(buf, sizeof buf, "the byte 0x%02X", (unsigned char)utf8[at]);
        return buf;
    }
    if (!DecodeUtf8(tail, &cps, &bad))
        DecodeUtf8(tail.substr(0, bad), &cps, &bad);
    if (cps.empty())
        return "a character";
    char32_t cp = cps[0];
    size_t len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    char buf[32];
    snprintf(buf, sizeof buf, "U+%04X", (unsigned)cp);
    std::string d = buf;
    if (cp >= 0x20 && cp != 0x7F)
        d += " (" + tail.substr(0, len) + ")";
    return d;
}
