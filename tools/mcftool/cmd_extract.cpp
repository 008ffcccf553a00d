// mcftool extract: writes every record's file into a folder, checked.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "container.h"
#include "implode.h"

#ifdef _WIN32
#include <direct.h>
#define MakeDirectory(path) _mkdir(path)
#else
#include <sys/stat.h>
#define MakeDirectory(path) mkdir(path, 0777)
#endif

#include "records.h"

int CmdExtract(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_CODEPAGE, &opt);
    if (i < 0 || argc - i != 2)
        return Usage();
    argv += i;
    CodePage cp;
    std::string why;
    if (!cp.Open(opt.codepage, &why))
        return Fail(why);
    Opened o;
    if (!OpenContainer(argv[0], &o, &why))
        return Fail(why);
    std::string dir = argv[1];
    if (MakeDirectory(dir.c_str()) != 0 && errno != EEXIST)
        return Fail("cannot create " + dir + ": " + strerror(errno));
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir += '/';
    int status = WalkRecords(argv[0], &o, [&](const McfRecord &r, const unsigned char *,
                                              const DecodedStream &d, const std::string &problem) {
        std::string name = LocalName(r.file_name, cp);
        if (!problem.empty())
            return Fail(std::string(argv[0]) + ": " + name + ": " + problem + " (not written)");
        std::string utf8, why;
        if (!cp.ToUtf8(r.file_name, &utf8, &why))
            return Fail(std::string(argv[0]) + ": " + name + ": " + why + " (not written)");
        std::string path = dir + utf8;
        if (!WriteWholeFile(path, d.out.data(), d.out.size()))
            return Fail(CannotWrite(path));
        printf("%s\n", path.c_str());
        return -1;
    });
    return status == -1 ? 0 : status;
}
