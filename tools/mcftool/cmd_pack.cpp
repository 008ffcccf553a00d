// mcftool pack: a payload container of files, each stream parsed optimally.
#include <errno.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "commands.h"
#include "packer.h"

int CmdPack(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_BEST | OPT_CODEPAGE, &opt);
    if (i < 0 || argc - i < 1)
        return Usage();
    std::string out_path = argv[i++];
    CodePage cp;
    std::string why;
    if (!cp.Open(opt.codepage, &why))
        return Fail(why);

    // Every name is checked before anything is read or written.
    std::vector<InputFile> files;
    if (!GatherInputs(std::vector<std::string>(argv + i, argv + argc), cp, &files))
        return kExitFailure;

    Bytes container;
    bool ok = WriteContainer(files, opt.best,
                             [&](const unsigned char *data, size_t size) {
                                 container.insert(container.end(), data, data + size);
                                 return true;
                             },
                             &why);
    if (!ok)
        return Fail(why);
    if (!WriteWholeFile(out_path, container.data(), container.size())) {
        int saved = errno;
        remove(out_path.c_str());
        errno = saved;
        return Fail(CannotWrite(out_path));
    }
    return 0;
}
