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
    Options opt;
    CodePage cp;
    int status;
    int i = ParseCommand(argc, argv, OPT_BEST | OPT_CODEPAGE | OPT_FORCE, 1, argc, &opt, &cp,
                         &status);
    if (i < 0)
        return status;
    std::string out_path = argv[i++];
    std::string why;
    // Everything that can be refused is refused before anything is read or
    // written.
    std::string problem = OutputTargetProblem(out_path, opt.force);
    if (!problem.empty())
        return Fail(problem);
    std::vector<InputFile> files;
    std::vector<std::string> refusals;
    if (!GatherInputs(std::vector<std::string>(argv + i, argv + argc), cp, &files, &refusals))
        return FailLines(refusals);
    SafeOutputFile out;
    if (!out.Open(out_path, opt.force, &why))
        return Fail(why);
    std::string write_problem;
    bool ok = WriteContainer(files, opt.best,
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
