// Container reading shared by list, verify and extract.
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

namespace {

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

} // namespace

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
int WalkRecords(const char *path, McfReader *reader, const RecordVisit &visit)
{
    McfRecord r;
    const unsigned char *stream;
    int code;
    while ((code = McfNext(reader, &r, &stream)) == MCF_RECORD) {
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

std::string LocalName(const char *ansi, const CodePage &cp)
{
    std::string utf8, why;
    if (!cp.ToUtf8(ansi, &utf8, &why))
        return Printable(ansi);
    return utf8;
}

int VerifyContainer(const char *label, McfReader reader, const CodePage &cp, unsigned *files)
{
    int bad = 0;
    *files = 0;
    std::vector<std::string> names;
    int status = WalkRecords(label, &reader, [&](const McfRecord &r, const unsigned char *,
                                                const DecodedStream &, const std::string &problem) {
        (*files)++;
        names.push_back(r.file_name);
        if (!problem.empty()) {
            fprintf(stderr, "mcftool: %s: %s: %s\n", label, LocalName(r.file_name, cp).c_str(),
                    problem.c_str());
            bad++;
        }
        return -1;
    });
    if (status != -1)
        return status;
    for (const CheckedName &n : CheckAnsiNames(names, cp)) {
        if (n.reasons.empty())
            continue;
        std::string all;
        for (const std::string &r : n.reasons)
            all += (all.empty() ? "" : "; ") + r;
        fprintf(stderr, "mcftool: %s: %s: %s\n", label, Printable(n.utf8).c_str(), all.c_str());
        bad++;
    }
    if (bad)
        return Fail(std::string(label) + ": " + std::to_string(bad) + " of " +
                    std::to_string(*files) + " files are corrupt or cannot be installed");
    return -1;
}
