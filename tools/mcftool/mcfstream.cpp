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
#include "mcfio.h"
#include "peres.h"

size_t FileSource::Read(void *buffer, size_t n) { return fread(buffer, 1, n, file_); }

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

namespace {

uint32_t Le16(const unsigned char *p) { return p[0] | p[1] << 8; }
uint32_t Le32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

} // namespace

bool PeSectionsFit(const unsigned char *head, size_t head_size, uint64_t file_size,
                   std::string *why)
{
    if (head_size < 0x40) {
        *why = "PE file cut short in its headers";
        return false;
    }
    uint64_t pe = Le32(head + 0x3C);
    if (pe + 24 > head_size) {
        *why = "PE file cut short in its headers";
        return false;
    }
    uint32_t count = Le16(head + pe + 6);
    uint64_t table = pe + 24 + Le16(head + pe + 20);
    if (table + (uint64_t)count * 40 > head_size) {
        *why = "PE file cut short in its section table";
        return false;
    }
    for (uint32_t i = 0; i < count; i++) {
        const unsigned char *s = head + table + (size_t)i * 40;
        uint64_t raw_size = Le32(s + 16), raw = Le32(s + 20);
        if (raw_size != 0 && raw + raw_size > file_size) {
            char name[9] = {0};
            memcpy(name, s, 8);
            for (char &c : name)
                if (c && (c < 0x20 || c > 0x7E))
                    c = '?';
            *why = "PE file cut short: its section " + std::string(name) + " ends at byte " +
                   std::to_string(raw + raw_size) + " of " + std::to_string(file_size);
            return false;
        }
    }
    return true;
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
            *why = std::string("cannot read: ") + strerror(errno);
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
            if ((uint64_t)st.st_size > kMaxContainer) {
                *why = "container larger than 4 GB, more than the format's sizes can hold";
                return false;
            }
            c->size = (uint64_t)st.st_size - 4;
        }
        return true;
    }
    if (got < 2 || magic[0] != 'M' || magic[1] != 'Z') {
        if (ferror(c->file))
            *why = std::string("cannot read: ") + strerror(errno);
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
        *why = std::string("cannot read: ") + strerror(errno);
        return false;
    }
    const unsigned char *image = (const unsigned char *)map;
    size_t offset = 0;
    uint32_t length = 0;
    bool ok = false;
    if (!PeIsImage(image, size))
        *why = "neither a container (no MCFX magic) nor a PE file";
    else if (!PeSectionsFit(image, size, size, why))
        ;
    else if (!PeFindResource(image, size, "CMPFILE", 121, &offset, &length))
        *why = "PE file without a readable CMPFILE resource 121";
    else if (length < 4 || memcmp(image + offset, MCF_MAGIC, 4) != 0)
        *why = "the CMPFILE resource 121 has no MCFX magic";
    else
        ok = true;
    munmap(map, size);
    if (!ok)
        return false;
    if (fseeko(c->file, (off_t)offset + 4, SEEK_SET) != 0) {
        *why = std::string("cannot read: ") + strerror(errno);
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
    uint32_t left;    // stream bytes not yet handed to the decoder
    uint32_t handed;
    bool short_read;  // the source ended inside the stream
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

} // namespace

WalkEnd WalkRecordStream(ByteSource &src, uint64_t size, const RecordVisitor &visit,
                         int *status, std::string *damage)
{
    static ImplodeWorkArea work; // not on the stack of small-stack hosts
    uint64_t left = size;        // kUnknownSize: until the source ends
    uint64_t total = 4;
    for (;;) {
        unsigned char header[MCF_HEADER_SIZE];
        size_t got = left == 0 ? 0 : src.Read(header, MCF_HEADER_SIZE);
        if (got == 0 && !src.Failed())
            return WALK_END;
        if (got < MCF_HEADER_SIZE) {
            *damage = src.Failed() ? std::string("cannot read: ") + strerror(errno)
                                   : "corrupt: a record header runs past the end";
            return WALK_DAMAGED;
        }
        if (left != kUnknownSize && left < MCF_HEADER_SIZE) {
            *damage = "corrupt: a record header runs past the end";
            return WALK_DAMAGED;
        }
        RecordResult r;
        McfRecord &rec = r.record;
        rec.stream_length = Le32(header);
        rec.crc32 = Le32(header + 4);
        memcpy(rec.file_name, header + 8, MCF_NAME_SIZE);
        if (rec.file_name[0] == 0)
            return WALK_END; // the installer stops here too; the rest is ignored
        if (memchr(rec.file_name, 0, MCF_NAME_SIZE) == nullptr ||
            !McfIsPlainFileName(rec.file_name)) {
            *damage = "corrupt or unsafe: a record's name is not a plain file name";
            return WALK_DAMAGED;
        }
        if (left != kUnknownSize) {
            left -= MCF_HEADER_SIZE;
            if (rec.stream_length > left) {
                *damage = "corrupt: the stream of " + std::string(rec.file_name) +
                          " runs past the end";
                return WALK_DAMAGED;
            }
            left -= rec.stream_length;
        }
        total += MCF_HEADER_SIZE + (uint64_t)rec.stream_length;
        if (total > kMaxContainer) {
            *damage = "container larger than 4 GB, more than the format's sizes can hold";
            return WALK_DAMAGED;
        }

        std::function<void(const unsigned char *, size_t)> sink;
        if (visit.begin)
            sink = visit.begin(rec);
        r.header_bytes = 0;
        r.expanded = 0;
        r.decoder = 0;
        StreamRead s = {&src, rec.stream_length, 0, false, &r, 0xFFFFFFFFu, &sink};
        if (rec.stream_length == 0) {
            r.crc32 = 0;
            if (rec.crc32 != 0)
                r.problem = "empty stream but CRC is not 0";
        } else {
            r.decoder = ExpandImplodeStream(ReadStream, WriteStream, &work, &s);
            r.crc32 = ~s.crc;
            if (s.short_read && src.Failed()) {
                *damage = std::string("cannot read: ") + strerror(errno);
                return WALK_DAMAGED;
            }
            if (s.short_read || !Skip(src, s.left)) {
                *damage = "corrupt: the stream of " + std::string(rec.file_name) +
                          " runs past the end";
                return WALK_DAMAGED;
            }
            if (r.decoder != IMPLODE_OK) {
                r.problem = std::string("decoder: ") + ImplodeResultName(r.decoder);
            } else if (s.left + ImplodeUnusedInput(&work) > 0 &&
                       !(rec.stream_length == 5 && r.expanded == 0 && s.left == 0 &&
                         ImplodeUnusedInput(&work) == 1)) {
                // The setup program refuses a stream it did not read to the
                // end; a sound stream ends with its end unit in its last byte
                // (but for an empty input's, which carries one byte more for
                // the decoder's sake).
                r.problem = "bytes after the end of the stream";
            } else if (r.crc32 != rec.crc32) {
                char buf[64];
                snprintf(buf, sizeof buf, "CRC %08x, record says %08x", (unsigned)r.crc32,
                         (unsigned)rec.crc32);
                r.problem = buf;
            }
        }
        int st = visit.done(r);
        if (st != -1) {
            *status = st;
            return WALK_STOPPED;
        }
    }
}
