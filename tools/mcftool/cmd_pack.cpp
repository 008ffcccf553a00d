// mcftool pack: a payload container of files, each stream parsed optimally.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "container.h"
#include "implode.h"

namespace {

bool SameNameIgnoringCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

int CmdPack(int argc, char **argv)
{
    bool best = false;
    int i = 0;
    if (i < argc && strcmp(argv[i], "--best") == 0) {
        best = true;
        i++;
    }
    if (argc - i < 1 || (argv[i][0] == '-' && argv[i][1] == '-'))
        return Usage();
    std::string out_path = argv[i++];

    // Every name is checked before anything is read or written.
    std::vector<std::string> names;
    for (int f = i; f < argc; f++) {
        std::string name = BaseName(argv[f]);
        std::string why = CheckRecordName(name);
        if (!why.empty())
            return Fail(std::string(argv[f]) + ": cannot be packed: " + why);
        for (const std::string &seen : names)
            if (SameNameIgnoringCase(seen, name))
                return Fail(std::string(argv[f]) + ": cannot be packed: a file named " + seen +
                            " is already in the container");
        names.push_back(name);
    }

    Bytes container(MCF_MAGIC, MCF_MAGIC + 4);
    for (int f = i; f < argc; f++) {
        Bytes data;
        if (!ReadWholeFile(argv[f], &data))
            return Fail(CannotRead(argv[f]));
        if (data.size() > 0xFFFFFFFFu)
            return Fail(std::string(argv[f]) + ": larger than 4 GB");
        Bytes stream;
        if (!data.empty()) {
            stream = Encode(data, kDefaultHeader, argv[f]);
            if (best) {
                const ImplodeHeader others[] = {{IMPLODE_BINARY, 4}, {IMPLODE_BINARY, 5},
                                                {IMPLODE_TEXT, 4},   {IMPLODE_TEXT, 5},
                                                {IMPLODE_TEXT, 6}};
                for (const ImplodeHeader &h : others) {
                    Bytes s = Encode(data, h, argv[f]);
                    if (s.size() < stream.size())
                        stream.swap(s);
                }
            }
        }
        AppendRecord(&container, names[f - i], Crc32Of(data.data(), data.size()), stream);
        if (container.size() > 0xFFFFFFFFu)
            return Fail("container larger than 4 GB");
    }
    if (!WriteWholeFile(out_path, container.data(), container.size())) {
        int saved = errno;
        remove(out_path.c_str());
        errno = saved;
        return Fail(CannotWrite(out_path));
    }
    return 0;
}
