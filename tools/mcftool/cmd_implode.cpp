// mcftool implode: one raw implode stream of a file, streamed: the input is
// read once in pieces and the stream written as the parse settles.
#include <stdio.h>
#include <string.h>

#include <string>

#include "commands.h"
#include "safeout.h"

int CmdImplode(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_HEADER | OPT_FORCE, &opt);
    if (i < 0 || argc - i != 2)
        return Usage();
    const ImplodeHeader header = opt.header;
    const bool force = opt.force;
    std::string in = argv[i], out_path = argv[i + 1];
    std::string why;
    uint64_t size = 0;
    if (in != "-" && !RegularFileSize(in, &size, &why))
        return Fail(in + ": " + why);

    OutputTarget out;
    if (!out.Open(out_path, force, &why))
        return Fail(why);
    FILE *sink = out.file();
    ImplodeEncoder encoder(header);
    Bytes stream;
    bool write_failed = false;
    Progress progress(size, 1);
    progress.StartFile(in == "-" ? std::string("standard input") : in, size);
    bool ok = ReadPieces(
        in, kImplodeMaxInput,
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
    if (write_failed)
        return Fail(CannotWrite(out.name()));
    if (!out.Finish(&why))
        return Fail(why);
    return 0;
}
