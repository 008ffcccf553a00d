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
    if (!ParseCommand(argc, argv, OPT_BEST | OPT_CODEPAGE | OPT_FORCE, 1, argc, &c))
        return c.status;
    std::string out_path = argv[c.first++];
    std::string why;
    std::vector<InputFile> files;
    int status = RefuseEarly(out_path, c, argc, argv, &files);
    if (status != 0)
        return status;
    SafeOutputFile out;
    if (!out.Open(out_path, c.opt.force, &why))
        return Fail(why);
    std::string write_problem;
    bool ok = WriteContainer(files, c.opt.best,
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

int RefuseEarly(const std::string &out_path, const CommandLine &c, int argc, char **argv,
                std::vector<InputFile> *files)
{
    std::string problem = OutputTargetProblem(out_path, c.opt.force);
    if (!problem.empty())
        return Fail(problem);
    std::vector<std::string> refusals;
    if (!GatherInputs(std::vector<std::string>(argv + c.first, argv + argc), c.cp, files,
                      &refusals))
        return FailLines(refusals);
    return 0;
}
