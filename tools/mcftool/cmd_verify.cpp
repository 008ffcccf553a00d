// mcftool verify: decodes and checks every record, streamed.
#include <stdio.h>

#include <string>

#include "commands.h"
#include "checkvalue.h"
#include "records.h"

int CmdVerify(int argc, char **argv)
{
    Options opt;
    CodePage cp;
    int status;
    int i = ParseCommand(argc, argv, OPT_CODEPAGE, 1, 1, &opt, &cp, &status);
    if (i < 0)
        return status;
    const char *in = argv[i];
    unsigned files;
    status = VerifyContainerFile(in, cp, &files);
    if (status != -1)
        return status;
    status = ReportCheckValue(in);
    if (status != -1)
        return status;
    printf("%s: %u file%s, all sound\n", in, files, files == 1 ? "" : "s");
    return 0;
}
