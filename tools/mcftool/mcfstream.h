// Streaming reads of payloads: a container, or the one inside a built
// setup.exe, walked record by record from a file with fixed buffers; each
// stream decoded once, its CRC taken on the way and its trailing bytes told
// by where the decoder stopped.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <functional>
#include <string>

#include "container.h"
#include "mcfformat.h"

// Bytes read in order from somewhere.
class ByteSource {
public:
    virtual ~ByteSource() {}
    // Up to n bytes; fewer only at the end or on a read error.
    virtual size_t Read(void *buffer, size_t n) = 0;
    // Why the last short read was short, if not the end.
    virtual bool Failed() const { return false; }
};

class FileSource : public ByteSource {
public:
    explicit FileSource(FILE *f) : file_(f) {}
    size_t Read(void *buffer, size_t n) override;
    bool Failed() const override { return ferror(file_) != 0; }

private:
    FILE *file_;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const unsigned char *data, size_t size) : data_(data), left_(size) {}
    size_t Read(void *buffer, size_t n) override;

private:
    const unsigned char *data_;
    size_t left_;
};

const uint64_t kUnknownSize = ~(uint64_t)0;

// A container opened for reading: the file positioned at its first byte.
struct ContainerFile {
    FILE *file = nullptr;
    uint64_t size = kUnknownSize; // of the container; unknown on a pipe
    bool in_pe = false;           // the CMPFILE resource of a PE file
    ContainerFile() {}
    ContainerFile(const ContainerFile &) = delete;
    ContainerFile &operator=(const ContainerFile &) = delete;
    ~ContainerFile();
};

// Opens path ("-": standard input) and finds the container in it, deciding
// by the first bytes: "MCFX" is a container, "MZ" a PE file (read from a
// regular file only), anything else is refused at once. A PE file must hold
// every section it declares and a CMPFILE resource 121. False with *why
// (not naming the file). On the build machine (POSIX) only.
bool OpenContainerFile(const std::string &path, ContainerFile *c, std::string *why);

// The payload inside a PE file held in memory: every section within the
// file, a CMPFILE resource 121, the MCFX magic at its start. True with
// its *offset and *length, else false with *why.
bool FindPayloadInImage(const unsigned char *image, size_t size, size_t *offset, uint32_t *length,
                        std::string *why);

struct RecordResult {
    McfRecord record;
    unsigned char stream_header[2]; // the stream's first two bytes
    uint32_t header_bytes;          // how many of them there are (0..2)
    uint32_t decoder;               // IMPLODE_OK or the decoder's error
    uint64_t expanded;              // bytes the decoder wrote
    uint32_t crc32;                 // of those bytes
    std::string problem;            // empty when the record is sound
};

// Called for each record: before its stream (may return a sink for the
// decoded bytes, or an empty function), and after it. `done` returns false
// to stop the walk.
struct RecordVisitor {
    std::function<std::function<void(const unsigned char *, size_t)>(const McfRecord &)> begin;
    std::function<bool(const RecordResult &)> done;
};

// Walks the records after the magic (which the caller has read or checked)
// from src, `size` bytes of container after the magic or kUnknownSize, to
// the end or until the visitor stops it. False with *damage when the
// container cannot be read further.
bool WalkRecordStream(ByteSource &src, uint64_t size, const RecordVisitor &visit,
                      std::string *damage);
