// mcftool list: every record of a container or a built setup.exe, each
// stream decoded once (its size and CRC are what the listing shows).
#include <stdio.h>

#include <string>

#include "commands.h"
#include "records.h"

int CmdList(int argc, char **argv)
{
    CommandLine c;
    if (!ParseCommand(argc, argv, OPT_CODEPAGE, 1, 1, &c))
        return c.status;
    const char *in = argv[c.first];
    uint64_t stored = 0, expanded = 0;
    unsigned files = 0, damaged = 0;
    bool titled = false;
    RecordVisitor visit;
    visit.done = [&](const RecordResult &r) {
        if (!titled) {
            printf("%10s %10s %6s  %-8s  %-6s %s\n", "stored", "expanded", "ratio", "crc32",
                   "header", "name");
            titled = true;
        }
        char header[8] = "-";
        if (r.header_bytes >= 2)
            snprintf(header, sizeof header, "%02x %02x", r.stream_header[0], r.stream_header[1]);
        double ratio = r.expanded == 0 ? 0.0 : 100.0 * r.record.stream_length / r.expanded;
        printf("%10u %10.0f %5.1f%%  %08x  %-6s %s%s%s\n", (unsigned)r.record.stream_length,
               (double)r.expanded, ratio, (unsigned)r.record.crc32, header,
               LocalName(r.record.file_name, c.cp).c_str(), r.problem.empty() ? "" : "  !! ",
               r.problem.c_str());
        stored += r.record.stream_length;
        expanded += r.expanded;
        files++;
        if (!r.problem.empty())
            damaged++;
        return true;
    };
    std::string why;
    bool read = WalkRecords(in, visit, &why);
    fflush(stdout);
    if (!read)
        return Fail(why); // no total for a container not read to its end
    if (damaged)
        return Fail(std::string(in) + ": " + std::to_string(damaged) + " of " +
                    std::to_string(files) + " files are damaged (marked !!)");
    printf("%10.0f %10.0f %5.1f%%  %u file%s\n", (double)stored, (double)expanded,
           expanded ? 100.0 * (double)stored / (double)expanded : 0.0, files,
           files == 1 ? "" : "s");
    return ReportCheckValue(in);
}
