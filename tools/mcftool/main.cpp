// mcftool: makes and inspects the payload of setup.exe.
//   implode / explode   one raw implode stream       cmd_implode.cpp, cmd_explode.cpp
//   pack                a container of files          cmd_pack.cpp
//   build               a setup.exe from a built one  cmd_build.cpp
//   list / verify / extract   a container, or the one inside a built setup.exe
//                                                     cmd_list.cpp, cmd_verify.cpp,
//                                                     cmd_extract.cpp
#include <stdio.h>
#include <string.h>

#include <string>

#include "commands.h"

namespace {

struct Command {
    const char *name;
    int (*run)(int argc, char **argv);
};

const Command kCommands[] = {
    {"implode", CmdImplode}, {"explode", CmdExplode},
    {"pack", CmdPack},       {"build", CmdBuild},
    {"list", CmdList},       {"verify", CmdVerify},
    {"extract", CmdExtract}, {"checkvalue", CmdCheckValue},
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        fputs(kUsage, stdout);
        return 0;
    }
    if (cmd == "--version" || cmd == "-V") {
        fputs(kVersion, stdout);
        return 0;
    }
    int n = argc - 2;
    char **args = argv + 2;
    for (int i = 0; i < n; i++)
        if (strcmp(args[i], "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        }
    for (const Command &c : kCommands)
        if (cmd == c.name)
            return c.run(n, args);
    fprintf(stderr, "mcftool: unknown command %s\n", cmd.c_str());
    return Usage();
}
