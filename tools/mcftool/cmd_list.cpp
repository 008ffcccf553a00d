// mcftool list: every record of a container or a built setup.exe.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "container.h"
#include "implode.h"

#include "records.h"

int CmdList(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_CODEPAGE, &opt);
    if (i < 0 || argc - i != 1)
        return Usage();
    argv += i;
    CodePage cp;
    std::string why;
    if (!cp.Open(opt.codepage, &why))
        return Fail(why);
    Opened o;
    if (!OpenContainer(argv[0], &o, &why))
        return Fail(why);
    printf("%10s %10s %6s  %-8s  %-6s %s\n", "stored", "expanded", "ratio", "crc32", "header",
           "name");
    uint64_t stored = 0, expanded = 0;
    unsigned files = 0;
    int status = WalkRecords(argv[0], &o, [&](const McfRecord &r, const unsigned char *stream,
                                              const DecodedStream &d, const std::string &problem) {
        char header[8] = "-";
        if (r.stream_length >= 2)
            snprintf(header, sizeof header, "%02x %02x", stream[0], stream[1]);
        double ratio = d.out.empty() ? 0.0 : 100.0 * r.stream_length / d.out.size();
        printf("%10u %10u %5.1f%%  %08x  %-6s %s%s%s\n", (unsigned)r.stream_length,
               (unsigned)d.out.size(), ratio, (unsigned)r.crc32, header, LocalName(r.file_name, cp).c_str(),
               problem.empty() ? "" : "  !! ", problem.c_str());
        stored += r.stream_length;
        expanded += d.out.size();
        files++;
        return -1;
    });
    // Doubles, not long long: the Windows build prints with the old runtime.
    printf("%10.0f %10.0f %5.1f%%  %u file%s\n", (double)stored, (double)expanded,
           expanded ? 100.0 * (double)stored / (double)expanded : 0.0, files,
           files == 1 ? "" : "s");
    return status == -1 ? 0 : status;
}
