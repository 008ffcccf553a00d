// Reading the inputs: regular files (or standard input) in pieces, the
// stub whole.
#include "input.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

bool ReadWholeFile(const std::string &path, Bytes *data)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    data->clear();
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        data->insert(data->end(), block, block + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool RegularFileSize(const std::string &path, uint64_t *size, std::string *why)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        *why = ReadFailure();
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        *why = "is a folder, not a regular file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = "is not a regular file (a device or a pipe: give it on standard input as -)";
        return false;
    }
    *size = (uint64_t)st.st_size;
    return true;
}

bool ReadPieces(const std::string &path, uint64_t limit,
                const std::function<void(const unsigned char *, size_t)> &piece, std::string *why,
                uint64_t *size)
{
    FILE *f = stdin;
    uint64_t expected = 0;
    if (path != "-") {
        if (!RegularFileSize(path, &expected, why))
            return false;
        if (expected > limit) {
            *why = MCF_TOO_LARGE;
            return false;
        }
        f = fopen(path.c_str(), "rb");
        if (!f) {
            *why = ReadFailure();
            return false;
        }
    }
    static unsigned char buffer[1 << 16];
    uint64_t total = 0;
    bool ok = true;
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        total += n;
        if (total > limit) {
            *why = MCF_TOO_LARGE;
            ok = false;
            break;
        }
        piece(buffer, n);
    }
    if (ok && ferror(f)) {
        *why = ReadFailure();
        ok = false;
    }
    if (f != stdin)
        fclose(f);
    if (size)
        *size = total;
    return ok;
}
