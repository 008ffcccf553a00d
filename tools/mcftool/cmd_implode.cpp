// mcftool implode: one raw implode stream of a file.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "container.h"
#include "implode.h"

int CmdImplode(int argc, char **argv)
{
    ImplodeHeader header = kDefaultHeader;
    int i = 0;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i++) {
        std::string opt = argv[i];
        if (opt == "--text") {
            header.literal_mode = IMPLODE_TEXT;
        } else if (opt == "--binary") {
            header.literal_mode = IMPLODE_BINARY;
        } else if (opt == "--dict" && i + 1 < argc) {
            std::string v = argv[++i];
            if (v == "1024")
                header.dictionary_bits = 4;
            else if (v == "2048")
                header.dictionary_bits = 5;
            else if (v == "4096")
                header.dictionary_bits = 6;
            else
                return Usage();
        } else {
            return Usage();
        }
    }
    if (argc - i != 2)
        return Usage();
    Bytes data;
    if (!ReadWholeFile(argv[i], &data))
        return Fail(CannotRead(argv[i]));
    Bytes stream = Encode(data, header, argv[i]);
    if (!WriteWholeFile(argv[i + 1], stream.data(), stream.size()))
        return Fail(CannotWrite(argv[i + 1]));
    return 0;
}
