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
    Options opt;
    int i = ParseOptions(argc, argv, OPT_CODEPAGE, &opt);
    if (i < 0 || argc - i != 1)
        return Usage();
    const char *in = argv[i];
    CodePage cp;
    std::string why;
    if (!cp.Open(opt.codepage, &why))
        return Fail(why);
    Opened o;
    if (!OpenContainer(in, &o, &why))
        return Fail(why);
    unsigned files;
    int status = VerifyContainer(in, o.reader, cp, &files);
    if (status != -1)
        return status;
    printf("%s: %u file%s, all sound\n", in, files, files == 1 ? "" : "s");
    return 0;
}
