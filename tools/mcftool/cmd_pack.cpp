// mcftool pack: a payload container of files, each stream parsed optimally
// and streamed: each file read once, the container written to a temporary
// file beside OUT and renamed over it only when complete.
#include <stdio.h>

#include <string>
#include <vector>

#include "commands.h"
#include "packer.h"
#include "safeout.h"

int CmdPack(int argc, char **argv)
{
    CommandLine c;
    std::string out_path, why;
    std::vector<InputFile> files;
    if (!ParsePackCommand(argc, argv, OPT_BEST | OPT_CODEPAGE | OPT_FORCE, &c, &out_path, &files))
        return c.status;
    SafeOutputFile out;
    if (!out.Open(out_path, c.opt.force, &why))
        return Fail(why);
    std::string write_problem;
    bool ok = WriteContainer(
        files, c.opt.best,
        [&](const unsigned char *data, size_t size) {
            return out.Write(data, size, &write_problem);
        },
        &why);
    if (!ok)
        return Fail(write_problem.empty() ? why : write_problem);
    if (!out.Commit(&why))
        return Fail(why);
    return 0;
}

bool ParsePackCommand(int argc, char **argv, unsigned allowed, CommandLine *c,
                      std::string *out_path, std::vector<InputFile> *files)
{
    if (!ParseCommand(argc, argv, allowed, 1 + ((allowed & OPT_STUB) != 0), argc, c))
        return false;
    if ((allowed & OPT_STUB) && c->opt.stub.empty()) {
        c->status = Usage();
        return false;
    }
    *out_path = argv[c->first];
    // Everything that can be refused is refused before a byte is encoded.
    std::string problem = OutputTargetProblem(*out_path, c->opt.force);
    if (!problem.empty()) {
        c->status = Fail(problem);
        return false;
    }
    std::vector<std::string> refusals;
    if (!GatherInputs(std::vector<std::string>(argv + c->first + 1, argv + argc), c->cp, files,
                      &refusals)) {
        c->status = FailLines(refusals);
        return false;
    }
    return true;
}
