// mcftool explode: decodes one raw implode stream.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "container.h"
#include "implode.h"

int CmdExplode(int argc, char **argv)
{
    if (argc != 2)
        return Usage();
    Bytes stream;
    if (!ReadWholeFile(argv[0], &stream))
        return Fail(CannotRead(argv[0]));
    DecodedStream d = DecodeStream(stream.data(), stream.size());
    if (!WriteWholeFile(argv[1], d.out.data(), d.out.size()))
        return Fail(CannotWrite(argv[1]));
    if (d.result != IMPLODE_OK) {
        Fail(std::string(argv[0]) + ": " + ImplodeResultName(d.result));
        return 10 + (int)d.result;
    }
    if (!d.used_all || StreamHasSlack(stream.data(), stream.size()))
        fprintf(stderr, "mcftool: %s: note: bytes after the end of the stream\n", argv[0]);
    return 0;
}
