#include "files.h"

#include <stdio.h>

bool ReadBytes(const std::string &path, std::string *bytes)
{
    bytes->clear();
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->append(buffer, n);
    fclose(file);
    return true;
}

std::string ReadBytes(const std::string &path, bool *ok)
{
    std::string bytes;
    bool opened = ReadBytes(path, &bytes);
    if (ok)
        *ok = opened;
    return bytes;
}

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}
