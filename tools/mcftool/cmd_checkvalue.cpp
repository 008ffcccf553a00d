// mcftool checkvalue: the check value of a container (its length and
// CRC-32), which the project's build links into setup.exe as CMPFILE
// resource 122 beside the container (resource 121).
#include <stdio.h>

#include <string>

#include "checkvalue.h"
#include "commands.h"
#include "mcfformat.h"
#include "names.h"
#include "safeout.h"

int CmdCheckValue(int argc, char **argv)
{
    CommandLine c;
    if (!ParseCommand(argc, argv, OPT_FORCE, 2, 2, &c))
        return c.status;
    std::string in = argv[c.first], out_path = argv[c.first + 1];
    std::string why;
    std::string problem = OutputTargetProblem(out_path, c.opt.force);
    if (!problem.empty())
        return Fail(problem);
    CheckValueSum sum;
    bool magic = false;
    if (!ReadPieces(
            in, kMaxFormatSize,
            [&](const unsigned char *data, size_t size) {
                if (sum.length == 0)
                    magic = size >= 4 && std::string((const char *)data, 4) == MCF_MAGIC;
                sum.Add(data, size);
            },
            &why))
        return Fail(in + ": " + why);
    if (!magic)
        return Fail(in + ": not a container (no \"" MCF_MAGIC "\" at its start)");
    unsigned char value[MCF_CHECK_SIZE];
    sum.Value(value);
    SafeOutputFile out;
    if (!out.Open(out_path, c.opt.force, &why) || !out.Write(value, sizeof value, &why) ||
        !out.Commit(&why))
        return Fail(why);
    return 0;
}
