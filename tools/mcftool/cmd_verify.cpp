// mcftool verify: decodes and checks every record.
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

int CmdVerify(int argc, char **argv)
{
    if (argc != 1)
        return Usage();
    Opened o;
    std::string why;
    if (!OpenContainer(argv[0], &o, &why))
        return Fail(why);
    int bad = 0;
    unsigned files = 0;
    int status = WalkRecords(argv[0], &o, [&](const McfRecord &r, const unsigned char *,
                                          const DecodedStream &, const std::string &problem) {
        files++;
        if (!problem.empty()) {
            fprintf(stderr, "mcftool: %s: %s: %s\n", argv[0], r.file_name, problem.c_str());
            bad++;
        }
        return -1;
    });
    if (status != -1)
        return status;
    if (bad)
        return Fail(std::string(argv[0]) + ": " + std::to_string(bad) + " of " +
                    std::to_string(files) + " files are corrupt");
    printf("%s: %u file%s, all sound\n", argv[0], files, files == 1 ? "" : "s");
    return 0;
}
