// mcftool: makes and inspects the payload of setup.exe.
//   implode / explode   one raw implode stream
//   pack                a container of files, each stream parsed optimally
//   list / verify / extract   a container, or the one inside a built setup.exe
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#define isatty _isatty
#define MakeDirectory(path) _mkdir(path)
#else
#include <sys/stat.h>
#include <unistd.h>
#define MakeDirectory(path) mkdir(path, 0777)
#endif

#include "container.h"
#include "encoder.h"
#include "implode.h"
#include "mcfio.h"

namespace {

const char kUsage[] =
    "usage: mcftool COMMAND ARGS...\n"
    "  implode [--text|--binary] [--dict 1024|2048|4096] IN OUT\n"
    "                      encode IN as one implode stream (default: binary, 4096)\n"
    "  explode IN OUT      decode one implode stream; on a decoder error OUT holds\n"
    "                      what was decoded and the exit status is 10 + the result\n"
    "  pack [--best] OUT.mcf FILE...\n"
    "                      write a payload container, one record per FILE named by\n"
    "                      its base name; --best tries every header per file\n"
    "  list IN             names, sizes, ratio, CRC and header of every record\n"
    "  verify IN           decode every record and check its CRC and length\n"
    "  extract IN DIR      write every record's file into DIR, checked\n"
    "IN of list, verify and extract is a container or a built setup.exe.\n"
    "Exit status: 0 done, 1 unreadable input, corrupt data or unwritable output,\n"
    "2 misuse, 11-14 explode's decoder error.\n";

const int kExitFailure = 1;
const int kExitUsage = 2;

int Usage()
{
    fputs(kUsage, stderr);
    return kExitUsage;
}

int Fail(const std::string &what)
{
    fprintf(stderr, "mcftool: %s\n", what.c_str());
    return kExitFailure;
}

std::string CannotRead(const std::string &path)
{
    return "cannot read " + path + ": " + strerror(errno);
}

std::string CannotWrite(const std::string &path)
{
    return "cannot write " + path + ": " + strerror(errno);
}

// Progress for inputs large enough to make one wait, and only on a terminal.
struct Progress {
    const char *label;
    int last_percent;
};

void ShowProgress(size_t done, size_t total, void *param)
{
    Progress *p = (Progress *)param;
    int percent = total ? (int)(done * 100 / total) : 100;
    if (percent != p->last_percent) {
        fprintf(stderr, "\r%s: %3d%%", p->label, percent);
        if (percent == 100)
            fputc('\n', stderr);
        p->last_percent = percent;
    }
}

Bytes Encode(const Bytes &data, ImplodeHeader header, const std::string &label)
{
    const size_t kLarge = 4u << 20;
    Progress p = {label.c_str(), -1};
    bool show = data.size() >= kLarge && isatty(2);
    Bytes stream = ImplodeOptimal(data.data(), data.size(), header,
                                  show ? ShowProgress : nullptr, &p);
    if (show && p.last_percent != 100)
        ShowProgress(1, 1, &p);
    return stream;
}

// ---------------------------------------------------------------- implode / explode

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

// ---------------------------------------------------------------- pack

bool SameNameIgnoringCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

int CmdPack(int argc, char **argv)
{
    bool best = false;
    int i = 0;
    if (i < argc && strcmp(argv[i], "--best") == 0) {
        best = true;
        i++;
    }
    if (argc - i < 1 || (argv[i][0] == '-' && argv[i][1] == '-'))
        return Usage();
    std::string out_path = argv[i++];

    // Every name is checked before anything is read or written.
    std::vector<std::string> names;
    for (int f = i; f < argc; f++) {
        std::string name = BaseName(argv[f]);
        std::string why = CheckRecordName(name);
        if (!why.empty())
            return Fail(std::string(argv[f]) + ": cannot be packed: " + why);
        for (const std::string &seen : names)
            if (SameNameIgnoringCase(seen, name))
                return Fail(std::string(argv[f]) + ": cannot be packed: a file named " + seen +
                            " is already in the container");
        names.push_back(name);
    }

    Bytes container(MCF_MAGIC, MCF_MAGIC + 4);
    for (int f = i; f < argc; f++) {
        Bytes data;
        if (!ReadWholeFile(argv[f], &data))
            return Fail(CannotRead(argv[f]));
        if (data.size() > 0xFFFFFFFFu)
            return Fail(std::string(argv[f]) + ": larger than 4 GB");
        Bytes stream;
        if (!data.empty()) {
            stream = Encode(data, kDefaultHeader, argv[f]);
            if (best) {
                const ImplodeHeader others[] = {{IMPLODE_BINARY, 4}, {IMPLODE_BINARY, 5},
                                                {IMPLODE_TEXT, 4},   {IMPLODE_TEXT, 5},
                                                {IMPLODE_TEXT, 6}};
                for (const ImplodeHeader &h : others) {
                    Bytes s = Encode(data, h, argv[f]);
                    if (s.size() < stream.size())
                        stream.swap(s);
                }
            }
        }
        AppendRecord(&container, names[f - i], Crc32Of(data.data(), data.size()), stream);
        if (container.size() > 0xFFFFFFFFu)
            return Fail("container larger than 4 GB");
    }
    if (!WriteWholeFile(out_path, container.data(), container.size())) {
        int saved = errno;
        remove(out_path.c_str());
        errno = saved;
        return Fail(CannotWrite(out_path));
    }
    return 0;
}

// ---------------------------------------------------------------- list / verify / extract

struct Opened {
    Bytes file;
    McfReader reader;
};

bool OpenContainer(const char *path, Opened *o, std::string *why)
{
    if (!ReadWholeFile(path, &o->file)) {
        *why = CannotRead(path);
        return false;
    }
    const unsigned char *data;
    uint32_t size;
    if (!LocateContainer(o->file, &data, &size, why)) {
        *why = std::string(path) + ": " + *why;
        return false;
    }
    if (McfOpen(&o->reader, data, size) != MCF_RECORD) {
        *why = std::string(path) + ": no MCFX magic";
        return false;
    }
    return true;
}

std::string ContainerError(const char *path, int code, const McfRecord &r)
{
    std::string where = std::string(path) + ": ";
    switch (code) {
    case MCF_BAD_HEADER: return where + "corrupt: a record header runs past the end";
    case MCF_BAD_STREAM:
        return where + "corrupt: the stream of " + std::string(r.file_name) +
               " runs past the end";
    case MCF_BAD_NAME: return where + "corrupt or unsafe: a record's name is not a plain file name";
    }
    return where + "corrupt";
}

// One record checked: decoded, CRC compared, stream used to its last byte.
// Empty when sound, else what is wrong.
std::string CheckRecord(const McfRecord &r, const unsigned char *stream, DecodedStream *d)
{
    if (r.stream_length == 0) {
        d->result = IMPLODE_OK;
        d->used_all = true;
        d->crc32 = 0;
        d->out.clear();
        return r.crc32 == 0 ? std::string() : "empty stream but CRC is not 0";
    }
    *d = DecodeStream(stream, r.stream_length);
    if (d->result != IMPLODE_OK)
        return std::string("decoder: ") + ImplodeResultName(d->result);
    // The setup program refuses a stream it did not read to the end; and a
    // sound stream ends with its end unit in its last byte.
    if (!d->used_all || StreamHasSlack(stream, r.stream_length))
        return "bytes after the end of the stream";
    if (d->crc32 != r.crc32) {
        char buf[64];
        snprintf(buf, sizeof buf, "CRC %08x, record says %08x", (unsigned)d->crc32,
                 (unsigned)r.crc32);
        return buf;
    }
    return std::string();
}

// Hands every record of the opened container, decoded and checked, to
// `visit` in order; a visit that returns a status other than -1 ends the
// walk with it. A damaged container after the last good record is reported
// here; -1 means the walk reached the end.
typedef std::function<int(const McfRecord &, const unsigned char *, const DecodedStream &,
                          const std::string &problem)>
    RecordVisit;

int WalkRecords(const char *path, Opened *o, const RecordVisit &visit)
{
    McfRecord r;
    const unsigned char *stream;
    int code;
    while ((code = McfNext(&o->reader, &r, &stream)) == MCF_RECORD) {
        DecodedStream d;
        std::string problem = CheckRecord(r, stream, &d);
        int status = visit(r, stream, d, problem);
        if (status != -1)
            return status;
    }
    if (code != MCF_END)
        return Fail(ContainerError(path, code, r));
    return -1;
}

int CmdList(int argc, char **argv)
{
    if (argc != 1)
        return Usage();
    Opened o;
    std::string why;
    if (!OpenContainer(argv[0], &o, &why))
        return Fail(why);
    printf("%10s %10s %6s  %-8s  %-6s %s\n", "stored", "expanded", "ratio", "crc32", "header",
           "name");
    uint64_t stored = 0, expanded = 0;
    unsigned files = 0;
    int status = WalkRecords(argv[0], &o, [&](const McfRecord &r, const unsigned char *stream,
                                              const DecodedStream &d, const std::string &problem) {
        char header[8] = "-";
        if (r.stream_length >= 2)
            snprintf(header, sizeof header, "%02x %02x", stream[0], stream[1]);
        double ratio = d.out.empty() ? 0.0 : 100.0 * r.stream_length / d.out.size();
        printf("%10u %10u %5.1f%%  %08x  %-6s %s%s%s\n", (unsigned)r.stream_length,
               (unsigned)d.out.size(), ratio, (unsigned)r.crc32, header, r.file_name,
               problem.empty() ? "" : "  !! ", problem.c_str());
        stored += r.stream_length;
        expanded += d.out.size();
        files++;
        return -1;
    });
    // Doubles, not long long: the Windows build prints with the old runtime.
    printf("%10.0f %10.0f %5.1f%%  %u file%s\n", (double)stored, (double)expanded,
           expanded ? 100.0 * (double)stored / (double)expanded : 0.0, files,
           files == 1 ? "" : "s");
    return status == -1 ? 0 : status;
}

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

int CmdExtract(int argc, char **argv)
{
    if (argc != 2)
        return Usage();
    Opened o;
    std::string why;
    if (!OpenContainer(argv[0], &o, &why))
        return Fail(why);
    std::string dir = argv[1];
    if (MakeDirectory(dir.c_str()) != 0 && errno != EEXIST)
        return Fail("cannot create " + dir + ": " + strerror(errno));
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir += '/';
    int status = WalkRecords(argv[0], &o, [&](const McfRecord &r, const unsigned char *,
                                              const DecodedStream &d, const std::string &problem) {
        if (!problem.empty())
            return Fail(std::string(argv[0]) + ": " + r.file_name + ": " + problem +
                        " (not written)");
        std::string path = dir + r.file_name;
        if (!WriteWholeFile(path, d.out.data(), d.out.size()))
            return Fail(CannotWrite(path));
        printf("%s\n", path.c_str());
        return -1;
    });
    return status == -1 ? 0 : status;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        fputs(kUsage, stdout);
        return 0;
    }
    int n = argc - 2;
    char **args = argv + 2;
    for (int i = 0; i < n; i++)
        if (strcmp(args[i], "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        }
    if (cmd == "implode")
        return CmdImplode(n, args);
    if (cmd == "explode")
        return CmdExplode(n, args);
    if (cmd == "pack")
        return CmdPack(n, args);
    if (cmd == "list")
        return CmdList(n, args);
    if (cmd == "verify")
        return CmdVerify(n, args);
    if (cmd == "extract")
        return CmdExtract(n, args);
    fprintf(stderr, "mcftool: unknown command %s\n", cmd.c_str());
    return Usage();
}
