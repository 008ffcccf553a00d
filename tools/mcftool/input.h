// Reading the inputs of mcftool.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <string>

#include "mcfformat.h"

// A whole file, for the stub; false (errno telling why) when it cannot be read.
bool ReadWholeFile(const std::string &path, Bytes *data);

// Reads a whole file or standard input ("-") in pieces, handing each to
// `piece`; false with *why (not naming the file) on a read error or when
// it grows past `limit` bytes. A path that is neither "-" nor a regular
// file is refused before any read (as gzip does), so that a device such as
// /dev/zero fails at once.
bool ReadPieces(const std::string &path, uint64_t limit,
                const std::function<void(const unsigned char *, size_t)> &piece, std::string *why,
                uint64_t *size = nullptr);
// Size of a regular file, or refuses with *why what is not one.
bool RegularFileSize(const std::string &path, uint64_t *size, std::string *why);
