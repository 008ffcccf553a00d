// The headers of a PE file (PE32 or PE32+), read once into named fields:
// the resource reader, the resource writer, the section check and the
// checksum all start here. Every read is checked against the bytes given;
// what the reader could not vouch for is marked, and each caller decides
// what it needs.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum {
    PE_IMAGE = 0,       // an MZ header pointing at "PE\0\0"
    PE_NO_MZ = 1,       // fewer than 64 bytes, or no MZ header
    PE_NO_SIGNATURE = 2 // no "PE\0\0" (and file header) where it points
};

// Data directories by index.
const int kPeDirResource = 2;
const int kPeDirSecurity = 4;

struct PeHeaders {
    size_t pe; // file offset of the signature
    uint32_t section_count;
    uint32_t symbol_table; // file offset of a COFF symbol table, or 0
    size_t opt;            // file offset of the optional header
    uint32_t opt_size;
    bool optional_fits; // the optional header (2 bytes or more) lies in the file
    bool pe32;          // PE32 or PE32+: the fields below are read
    bool plus;          // PE32+
    bool has_dirs;      // the optional header reaches its data directories
    uint32_t file_alignment, section_alignment; // with has_dirs
    size_t dirs;                                // file offset of the data directories
    uint32_t dir_count; // declared, but no more than the optional header holds
    size_t checksum;    // file offset of the CheckSum field
    bool checksum_fits;
    size_t section_table; // file offset
    bool table_fits;      // every section header lies in the file
};

struct PeSection {
    size_t header; // file offset of its section header
    char name[9];  // zero-terminated
    uint32_t virtual_size, va, raw_size, raw, characteristics;
};

// Reads the headers of the `size` bytes at data; one of the PE_ results.
int PeReadHeaders(const unsigned char *data, size_t size, PeHeaders *h);

// Section i (below h.section_count) of a file whose table_fits.
PeSection PeSectionAt(const unsigned char *data, const PeHeaders &h, uint32_t i);

// Data directory d (below h.dir_count): its address and size.
uint32_t PeDirAddress(const unsigned char *data, const PeHeaders &h, int d);
uint32_t PeDirSize(const unsigned char *data, const PeHeaders &h, int d);

// True when `length` bytes at `offset` lie within `size`.
inline bool PeFits(uint64_t size, uint64_t offset, uint64_t length)
{
    return offset <= size && length <= size - offset;
}
