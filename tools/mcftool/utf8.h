// UTF-8 read strictly, and characters described for messages.
#pragma once
#include <stddef.h>

#include <string>

// Strict UTF-8 to code points; false on anything that is not UTF-8, with the
// offset of the first byte that is not.
bool DecodeUtf8(const std::string &s, std::u32string *out, size_t *bad_at);

// The character at byte offset `at` of a UTF-8 name, for messages: "U+2603 (☃)".
std::string DescribeCharAt(const std::string &utf8, size_t at);
