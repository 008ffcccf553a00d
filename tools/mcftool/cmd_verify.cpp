// mcftool verify: decodes and checks every record, streamed.
#include <stdio.h>

#include <string>

#include "commands.h"
#include "records.h"

int CmdVerify(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_CODEPAGE, &opt);
    if (i < 0 || argc - i != 1)
        return Usage();
    const char *in = argv[i];
    CodePage cp;
    std::string why;
    if (!cp.Open(opt.codepage, &why))
        return Fail(why);
    unsigned files;
    int status = VerifyContainerFile(in, cp, &files);
    if (status != -1)
        return status;
    printf("%s: %u file%s, all sound\n", in, files, files == 1 ? "" : "s");
    return 0;
}
