// What the tests and fuzzers check payloads with, beside mcftool's own
// code: whole files, in-memory decoding with the product's decoder, names
// as the extraction takes them, and the container inside a built setup.exe.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "bytes.h"
#include "mcfwrite.h"

bool WriteWholeFile(const std::string &path, const unsigned char *data, size_t size);

struct DecodedStream {
    uint32_t result; // IMPLODE_OK or an error of the decoder
    bool used_all;   // the decoder took every byte through its read callback
    uint32_t crc32;  // CRC-32 of out
    Bytes out;       // every byte the decoder wrote, also after an error
};
DecodedStream DecodeStream(const unsigned char *stream, size_t size);

// True when the stream still decodes without its last byte: its end unit
// is not in its last byte, and the bytes after it are slack. (mcftool
// tells this from where the decoder stopped; this is the slow, plain way.)
bool StreamHasSlack(const unsigned char *stream, size_t size);

uint32_t Crc32Of(const unsigned char *data, size_t size);

// n bytes that do not compress, the same for the same state.
Bytes Noise(size_t n, uint32_t state);

// What follows the last slash or backslash of a path.
std::string BaseName(const std::string &path);

// Empty when the extraction would take `name`, else why not.
std::string CheckRecordName(const std::string &name);

// The container inside `file`: the file itself when it starts with the
// magic, else the payload resource of a PE file, found as mcftool finds
// it. Sets *why on failure.
bool LocateContainer(const Bytes &file, const unsigned char **data, uint32_t *size,
                     std::string *why);
