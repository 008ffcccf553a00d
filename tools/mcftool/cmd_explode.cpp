// mcftool explode: decodes one raw implode stream, streamed: read once in
// the decoder's blocks, written as decoded, no CRC (a raw stream has none).
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "commands.h"
#include "implode.h"
#include "mcfformat.h"
#include "safeout.h"

namespace {

struct Explode {
    Progress *progress;
    FILE *in;
    FILE *out;
    uint64_t read;
    uint64_t written;
    bool too_large;
    bool write_failed;
    int write_errno;
};

const uint64_t kMaxStream = kMaxFormatSize;

uint32_t ReadIn(char *buffer, uint32_t *size, void *param)
{
    Explode *e = (Explode *)param;
    size_t got = fread(buffer, 1, *size, e->in);
    e->read += got;
    e->progress->Update(e->read);
    if (e->read > kMaxStream) {
        e->too_large = true;
        return 0;
    }
    return (uint32_t)got;
}

void WriteOut(char *buffer, uint32_t *size, void *param)
{
    Explode *e = (Explode *)param;
    e->written += *size;
    if (*size == 0 || e->write_failed)
        return;
    if (fwrite(buffer, 1, *size, e->out) != *size) {
        e->write_failed = true;
        e->write_errno = errno;
    }
}

// Opens the raw stream, standard input for "-"; 0, or the exit status of
// the refusal (said).
int OpenStream(const std::string &in_path, const std::string &in_name, FILE **in)
{
    *in = stdin;
    if (in_path == "-")
        return 0;
    uint64_t size;
    std::string why;
    if (RegularFileSize(in_path, &size, &why) && size > kMaxStream)
        return Fail(in_name + ": " MCF_TOO_LARGE);
    *in = fopen(in_path.c_str(), "rb");
    if (!*in)
        return Fail(CannotRead(in_path));
    setvbuf(*in, nullptr, _IOFBF, 1 << 16);
    return 0;
}

// The exit status once the decoder has returned `result`: what went wrong
// said, or OUT put in place.
int FinishExplode(const Explode &e, uint32_t result, const std::string &in_name, OutputTarget *out)
{
    if (ferror(e.in))
        return Fail(CannotRead(in_name));
    if (e.too_large)
        return Fail(in_name + ": " MCF_TOO_LARGE);
    if (result != IMPLODE_OK) {
        // OUT is left as it was; on standard output the part decoded is out.
        Fail(in_name + ": " + ImplodeResultName(result) +
             (out->is_stdout() ? "" : " (not written)"));
        return 10 + (int)result;
    }
    if (e.write_failed) {
        errno = e.write_errno;
        return Fail(CannotWrite(out->name()));
    }
    return 0;
}

} // namespace

int CmdExplode(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_FORCE, &opt);
    if (i < 0 || argc - i != 2)
        return Usage();
    std::string in_path = argv[i], out_path = argv[i + 1];
    std::string in_name = in_path == "-" ? "standard input" : in_path;
    std::string why;
    FILE *in;
    if (int status = OpenStream(in_path, in_name, &in))
        return status;
    struct Closer {
        FILE *f;
        ~Closer()
        {
            if (f != stdin)
                fclose(f);
        }
    } closer = {in};

    OutputTarget out;
    if (!out.Open(out_path, opt.force, &why))
        return Fail(why);
    FILE *sink = out.file();
    if (!out.is_stdout())
        setvbuf(sink, nullptr, _IOFBF, 1 << 16);
    static ImplodeWorkArea work;
    uint64_t in_size = 0;
    std::string ignored;
    bool sized = in_path != "-" && RegularFileSize(in_path, &in_size, &ignored);
    Progress progress(in_size, 1);
    if (sized)
        progress.StartFile(in_name, in_size);
    Explode e = {&progress, in, sink, 0, 0, false, false, 0};
    uint32_t result = ExpandImplodeStream(ReadIn, WriteOut, &work, &e);
    progress.Clear();
    if (int status = FinishExplode(e, result, in_name, &out))
        return status;
    // Bytes behind the end unit: what the decoder did not use of its last
    // read, and whatever it never read. An empty input's stream has its one
    // byte of padding for the decoder's sake.
    char more;
    uint64_t unused = ImplodeUnusedInput(&work) + fread(&more, 1, 1, in);
    if (!ImplodeEndsInLastByte(e.read, e.written, unused))
        Say(in_name + ": note: bytes after the end of the stream");
    if (!out.Finish(&why))
        return Fail(why);
    return 0;
}
