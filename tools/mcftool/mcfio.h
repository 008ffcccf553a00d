// Pieces of mcftool that the tests use too: whole-file I/O, in-memory
// decoding with the product's decoder, container writing and finding the
// container inside a built setup.exe.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

bool ReadWholeFile(const std::string &path, Bytes *data);
bool WriteWholeFile(const std::string &path, const unsigned char *data, size_t size);

struct DecodedStream {
    uint32_t result;     // IMPLODE_OK or an error of the decoder
    bool used_all;       // the decoder took every byte through its read callback
    uint32_t crc32;      // CRC-32 of out
    Bytes out;           // every byte the decoder wrote, also after an error
};
DecodedStream DecodeStream(const unsigned char *stream, size_t size);

// 1 when the stream still decodes without its last byte: its end unit is not
// in its last byte, and the bytes after it are slack.
bool StreamHasSlack(const unsigned char *stream, size_t size);

uint32_t Crc32Of(const unsigned char *data, size_t size);

// The name a file gets in the container: what follows the last slash or
// backslash of its path. A drive's colon stays, and the name is refused.
std::string BaseName(const std::string &path);

// Empty when the extraction would take `name`, else why not.
std::string CheckRecordName(const std::string &name);

// Appends one record (header and stream) to a container being built.
void AppendRecord(Bytes *container, const std::string &name, uint32_t crc32,
                  const Bytes &stream);

// The container inside `file`: the file itself when it starts with the magic,
// else the CMPFILE resource 121 of a PE file. Sets *why on failure.
bool LocateContainer(const Bytes &file, const unsigned char **data, uint32_t *size,
                     std::string *why);

// Name and header of a decoder result, for messages.
const char *ImplodeResultName(uint32_t result);
