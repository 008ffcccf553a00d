// mcftool checkvalue: the check value of a container (its length and
// CRC-32), and after it that of the uninstaller's container, which the
// project's build links into setup.exe as CMPFILE resource 122 beside the
// containers (resources 121 and 131).
#include <stdio.h>

#include <string>

#include "checkvalue.h"
#include "commands.h"
#include "mcfformat.h"
#include "names.h"
#include "safeout.h"

namespace {

// The length and CRC-32 of the container at `in`, 8 bytes at value.
int SumContainer(const std::string &in, unsigned char *value)
{
    std::string why;
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
    sum.Value(value);
    return 0;
}

} // namespace

int CmdCheckValue(int argc, char **argv)
{
    CommandLine c;
    if (!ParseCommand(argc, argv, OPT_FORCE, 2, 3, &c))
        return c.status;
    // The payload's container, and the uninstaller's when given.
    int containers = argc - c.first - 1;
    std::string out_path = argv[argc - 1];
    std::string why;
    std::string problem = OutputTargetProblem(out_path, c.opt.force);
    if (!problem.empty())
        return Fail(problem);
    unsigned char value[MCF_CHECK_BOTH_SIZE];
    for (int i = 0; i < containers; i++)
        if (int status = SumContainer(argv[c.first + i], value + i * MCF_CHECK_SIZE))
            return status;
    SafeOutputFile out;
    if (!out.Open(out_path, c.opt.force, &why) ||
        !out.Write(value, containers * MCF_CHECK_SIZE, &why) || !out.Commit(&why))
        return Fail(why);
    return 0;
}
