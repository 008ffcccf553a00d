// Streaming payload reads. The PE file is mapped only to walk its headers
// and resource directory (a few pages); the container is then read through
// stdio like any other, so memory stays at the decoder's work area and the
// stdio buffers whatever the payload's size.
#include "mcfstream.h"

#include <errno.h>
#include <string.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "crc32.h"
#include "implode.h"
#include "peres.h"

size_t FileSource::Read(void *buffer, size_t n)
{
    return fread(buffer, 1, n, file_);
}

size_t MemorySource::Read(void *buffer, size_t n)
{
    if (n > left_)
        n = left_;
    memcpy(buffer, data_, n);
    data_ += n;
    left_ -= n;
    return n;
}

ContainerFile::~ContainerFile()
{
    if (file && file != stdin)
        fclose(file);
}

bool FindPayloadInImage(const unsigned char *image, size_t size, size_t *offset, uint32_t *length,
                        std::string *why)
{
    if (!PeIsImage(image, size))
        *why = "neither a container (no MCFX magic) nor a PE file";
    else if (!PeSectionsFit(image, size, size, why))
        ;
    else if (!PeFindResource(image, size, kPayloadType, kPayloadId, offset, length))
        *why = "PE file without a readable CMPFILE resource 121";
    else if (*length < 4 || memcmp(image + *offset, MCF_MAGIC, 4) != 0)
        *why = "the CMPFILE resource 121 has no MCFX magic";
    else
        return true;
    return false;
}

// mcftool runs on the build machine; the Windows trees link the portable
// rest of this file only (the tests of the extraction use the record walk).
#ifndef _WIN32
bool OpenContainerFile(const std::string &path, ContainerFile *c, std::string *why)
{
    if (path == "-") {
        c->file = stdin;
    } else {
        c->file = fopen(path.c_str(), "rb");
        if (!c->file) {
            *why = ReadFailure();
            return false;
        }
    }
    struct stat st;
    bool regular = fstat(fileno(c->file), &st) == 0 && S_ISREG(st.st_mode);
    if (regular && path != "-")
        setvbuf(c->file, nullptr, _IOFBF, 1 << 16);
    unsigned char magic[4];
    size_t got = fread(magic, 1, 4, c->file);
    if (got == 4 && memcmp(magic, MCF_MAGIC, 4) == 0) {
        if (regular) {
            if ((uint64_t)st.st_size > kMaxFormatSize) {
                *why = "container " MCF_TOO_LARGE;
                return false;
            }
            c->size = (uint64_t)st.st_size - 4;
        }
        return true;
    }
    if (got < 2 || magic[0] != 'M' || magic[1] != 'Z') {
        if (ferror(c->file))
            *why = ReadFailure();
        else
            *why = "neither a container (no MCFX magic) nor a PE file";
        return false;
    }
    if (!regular) {
        *why = "a PE file is read from a regular file only (its resources need seeking)";
        return false;
    }
    c->in_pe = true;
    size_t size = (size_t)st.st_size;
    void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(c->file), 0);
    if (map == MAP_FAILED) {
        *why = ReadFailure();
        return false;
    }
    size_t offset = 0;
    uint32_t length = 0;
    bool ok = FindPayloadInImage((const unsigned char *)map, size, &offset, &length, why);
    munmap(map, size);
    if (!ok)
        return false;
    if (fseeko(c->file, (off_t)offset + 4, SEEK_SET) != 0) {
        *why = ReadFailure();
        return false;
    }
    c->size = length - 4;
    return true;
}
#endif

// ---------------------------------------------------------------- record walk

namespace {

struct StreamRead {
    ByteSource *src;
    uint32_t left; // stream bytes not yet handed to the decoder
    uint32_t handed;
    bool short_read; // the source ended inside the stream
    RecordResult *result;
    uint32_t crc;
    const std::function<void(const unsigned char *, size_t)> *sink;
};

uint32_t ReadStream(char *buffer, uint32_t *size, void *param)
{
    StreamRead *s = (StreamRead *)param;
    uint32_t n = s->left < *size ? s->left : *size;
    size_t got = n ? s->src->Read(buffer, n) : 0;
    if (got < n)
        s->short_read = true;
    for (size_t i = 0; i < got && s->result->header_bytes < 2; i++)
        s->result->stream_header[s->result->header_bytes++] = (unsigned char)buffer[i];
    s->left -= (uint32_t)got;
    s->handed += (uint32_t)got;
    return (uint32_t)got;
}

void WriteStream(char *buffer, uint32_t *size, void *param)
{
    StreamRead *s = (StreamRead *)param;
    uint32_t n = *size;
    if (n == 0)
        return;
    s->crc = UpdateCrc32(buffer, &n, &s->crc);
    s->result->expanded += *size;
    if (*s->sink)
        (*s->sink)((const unsigned char *)buffer, *size);
}

// Reads and drops n bytes; false when the source ends first.
bool Skip(ByteSource &src, uint64_t n)
{
    unsigned char buffer[4096];
    while (n > 0) {
        size_t want = n < sizeof buffer ? (size_t)n : sizeof buffer;
        size_t got = src.Read(buffer, want);
        n -= got;
        if (got < want)
            return false;
    }
    return true;
}

typedef std::function<void(const unsigned char *, size_t)> DecodedSink;

// Reads the next record header and counts its stream in *left and *total:
// 1 for a record, 0 at the end of the records, -1 with *damage.
int NextRecord(ByteSource &src, uint64_t *left, uint64_t *total, McfRecord *rec,
               std::string *damage)
{
    unsigned char header[MCF_HEADER_SIZE];
    size_t got = *left == 0 ? 0 : src.Read(header, MCF_HEADER_SIZE);
    if (got == 0 && !src.Failed())
        return 0;
    if (got < MCF_HEADER_SIZE) {
        *damage = src.Failed() ? ReadFailure() : "corrupt: a record header runs past the end";
        return -1;
    }
    if (*left != kUnknownSize && *left < MCF_HEADER_SIZE) {
        *damage = "corrupt: a record header runs past the end";
        return -1;
    }
    int read = McfReadHeader(header, rec);
    if (read == MCF_END)
        return 0; // the installer stops here too; the rest is ignored
    if (read != MCF_RECORD) {
        *damage = "corrupt or unsafe: a record's name is not a plain file name";
        return -1;
    }
    if (*left != kUnknownSize) {
        *left -= MCF_HEADER_SIZE;
        if (rec->stream_length > *left) {
            *damage =
                "corrupt: the stream of " + std::string(rec->file_name) + " runs past the end";
            return -1;
        }
        *left -= rec->stream_length;
    }
    *total += MCF_HEADER_SIZE + (uint64_t)rec->stream_length;
    if (*total > kMaxFormatSize) {
        *damage = "container " MCF_TOO_LARGE;
        return -1;
    }
    return 1;
}

// Judges a stream the decoder has read: r->problem empty when it is sound.
// `unread` is the input the decoder left over.
void JudgeStream(RecordResult *r, uint64_t unread)
{
    const McfRecord &rec = r->record;
    if (r->decoder != IMPLODE_OK) {
        r->problem = std::string("decoder: ") + ImplodeResultName(r->decoder);
    } else if (!ImplodeEndsInLastByte(rec.stream_length, r->expanded, unread)) {
        // The setup program refuses a stream it did not read to the end.
        r->problem = "bytes after the end of the stream";
    } else if (r->crc32 != rec.crc32) {
        char buf[64];
        snprintf(buf, sizeof buf, "CRC %08x, record says %08x", (unsigned)r->crc32,
                 (unsigned)rec.crc32);
        r->problem = buf;
    }
}

// Decodes the stream of r->record into `sink` and judges it; false with
// *damage when the container cannot be read further.
bool ExpandRecord(ByteSource &src, ImplodeWorkArea *work, const DecodedSink &sink, RecordResult *r,
                  std::string *damage)
{
    const McfRecord &rec = r->record;
    r->header_bytes = 0;
    r->expanded = 0;
    r->decoder = 0;
    StreamRead s = {&src, rec.stream_length, 0, false, r, 0xFFFFFFFFu, &sink};
    if (rec.stream_length == 0) {
        r->crc32 = 0;
        if (rec.crc32 != 0)
            r->problem = "empty stream but CRC is not 0";
        return true;
    }
    r->decoder = ExpandImplodeStream(ReadStream, WriteStream, work, &s);
    r->crc32 = ~s.crc;
    if (s.short_read && src.Failed()) {
        *damage = ReadFailure();
        return false;
    }
    if (s.short_read || !Skip(src, s.left)) {
        *damage = "corrupt: the stream of " + std::string(rec.file_name) + " runs past the end";
        return false;
    }
    JudgeStream(r, (uint64_t)s.left + ImplodeUnusedInput(work));
    return true;
}

} // namespace

bool WalkRecordStream(ByteSource &src, uint64_t size, const RecordVisitor &visit,
                      std::string *damage)
{
    static ImplodeWorkArea work; // not on the stack of small-stack hosts
    uint64_t left = size;        // kUnknownSize: until the source ends
    uint64_t total = 4;
    for (;;) {
        RecordResult r;
        int next = NextRecord(src, &left, &total, &r.record, damage);
        if (next <= 0)
            return next == 0;
        DecodedSink sink;
        if (visit.begin)
            sink = visit.begin(r.record);
        if (!ExpandRecord(src, &work, sink, &r, damage))
            return false;
        if (!visit.done(r))
            return true;
    }
}
