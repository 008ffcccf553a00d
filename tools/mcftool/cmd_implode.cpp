// mcftool implode: one raw implode stream of a file, streamed: the input is
// read once in pieces and the stream written as the parse settles.
#include <stdio.h>
#include <string.h>

#include <string>

#include "commands.h"
#include "safeout.h"

int CmdImplode(int argc, char **argv)
{
    ImplodeHeader header = kDefaultHeader;
    bool force = false;
    int i = 0;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != 0; i++) {
        std::string opt = argv[i];
        if (opt == "--") {
            i++;
            break;
        }
        if (opt == "--text") {
            header.literal_mode = IMPLODE_TEXT;
        } else if (opt == "--binary") {
            header.literal_mode = IMPLODE_BINARY;
        } else if (opt == "-f" || opt == "--force") {
            force = true;
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
    std::string in = argv[i], out_path = argv[i + 1];
    std::string why;
    uint64_t size = 0;
    if (in != "-" && !RegularFileSize(in, &size, &why))
        return Fail(in + ": " + why);

    SafeOutputFile out;
    FILE *sink = stdout;
    if (out_path != "-") {
        if (!out.Open(out_path, force, &why))
            return Fail(why);
        sink = out.file();
    }
    ImplodeEncoder encoder(header);
    Bytes stream;
    bool write_failed = false;
    Progress progress(size, 1);
    progress.StartFile(in == "-" ? std::string("standard input") : in, size);
    bool ok = ReadPieces(in, kImplodeMaxInput,
                         [&](const unsigned char *data, size_t n) {
                             encoder.Write(data, n);
                             encoder.Take(&stream);
                             if (!write_failed && !stream.empty() &&
                                 fwrite(stream.data(), 1, stream.size(), sink) != stream.size())
                                 write_failed = true;
                             stream.clear();
                             progress.Update(encoder.InputSize());
                         },
                         &why);
    progress.Clear();
    if (!ok)
        return Fail(in + ": " + why);
    encoder.Finish();
    encoder.Take(&stream);
    if (!write_failed && fwrite(stream.data(), 1, stream.size(), sink) != stream.size())
        write_failed = true;
    if (out_path == "-") {
        if (write_failed || fflush(stdout) != 0 || ferror(stdout))
            return Fail(CannotWrite("standard output"));
        return 0;
    }
    if (write_failed)
        return Fail(CannotWrite(out_path));
    if (!out.Commit(&why))
        return Fail(why);
    return 0;
}
