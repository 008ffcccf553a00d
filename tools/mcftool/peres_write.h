// Writes a resource into a copy of a PE file (a built setup.exe, PE32 or
// PE32+): the resource section is rebuilt with every other resource as it
// was, and the headers that describe it are brought up to date. Every read
// of the input is bounds-checked like the reader in peres.h; the output
// depends on nothing but the inputs.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "mcfformat.h"

struct PeResourceWrite {
    Bytes image;                    // the new file
    std::vector<std::string> notes; // what was done besides, for the user
};

// Replaces the data of resource (named type `type`, integer id `id`) in
// every language it has, or adds it in the neutral language when the file
// has none, and writes the new file to out->image. The resource section must
// be the last section of the file, by address and by file position, and hold
// nothing but the resource tree; an Authenticode signature is dropped (it
// would no longer match) and noted. Updated: the section's sizes (raw size
// aligned to FileAlignment), SizeOfImage, SizeOfInitializedData, the
// resource data directory and the PE checksum. False with *why when the file
// is not such a PE or any structure in it is out of bounds.
bool PeWriteResource(const Bytes &stub, const char *type, uint32_t id, const Bytes &data,
                     PeResourceWrite *out, std::string *why);

// The same for a payload too large to hold: writes the file to `file` (a
// seekable file, at its start), the resource's `size` bytes handed over by
// copy_data to the sink it is given, and patches the checksum at the end.
// The same bytes as PeWriteResource would give. *notes as out->notes.
typedef std::function<bool(const unsigned char *data, size_t size)> ByteSinkFn;
bool PeWriteResourceStreamed(const Bytes &stub, const char *type, uint32_t id, uint64_t size,
                             const std::function<bool(const ByteSinkFn &)> &copy_data, FILE *file,
                             std::vector<std::string> *notes, std::string *why);

// The PE checksum of a file (the algorithm of the image help library: 16-bit
// one's-complement-style sum with the checksum field taken as zero, plus the
// file length), and the checksum field's offset; false when not a PE file.
bool PeChecksumField(const unsigned char *data, size_t size, size_t *field);
uint32_t PeComputeChecksum(const unsigned char *data, size_t size, size_t field);
