// Reader of the payload container, shared by setup.exe's extraction and by
// mcftool. It never reads past the end of the bytes it is given.
//
// Layout (integers unsigned 32-bit little-endian, no padding):
//   "MCFX"                        magic, once
//   records, back to back:
//     stream_length, crc32        CRC-32 of the expanded file (0 if empty)
//     file_name[260]              zero-terminated plain file name
//     stream                      stream_length bytes, implode format
// The records normally fill the container exactly; a record whose name is
// empty also ends it, and whatever follows that header is ignored.
#pragma once
#include <stdint.h>

#define MCF_MAGIC "MCFX"
#define MCF_HEADER_SIZE 268u
#define MCF_NAME_SIZE 260u
// Names beginning so (in any case) are the installer's own temporary files.
#define MCF_RESERVED_PREFIX "~kv"
// Characters the installer's temporary names add before a file's name
// (MCF_RESERVED_PREFIX and one more): they too must fit in a path.
#define MCF_TEMP_NAME_EXTRA 4u

struct McfRecord {
    uint32_t stream_length;
    uint32_t crc32;
    char file_name[MCF_NAME_SIZE];
};
static_assert(sizeof(McfRecord) == MCF_HEADER_SIZE, "the record header has no padding");

enum {
    MCF_RECORD = 1,      // a record was read (McfOpen: the magic is right)
    MCF_END = 0,         // no bytes left, or a record with an empty name
    MCF_BAD_MAGIC = -1,  // fewer than 4 bytes, or not "MCFX"
    MCF_BAD_HEADER = -2, // fewer than 268 bytes left for a record header
    MCF_BAD_STREAM = -3, // stream_length runs past the end
    MCF_BAD_NAME = -4    // name not terminated in 260 bytes, or not a plain file name
};

struct McfReader {
    const unsigned char *next; // the next record header
    uint32_t left;             // bytes from next to the end
};

// Checks the magic and positions the reader at the first record.
int McfOpen(McfReader *reader, const void *data, uint32_t size);

// Reads the next record. On MCF_RECORD the header is copied into *record
// (name zero-terminated, rest of the field as stored), *stream points at its
// stream_length bytes in place and the reader has moved past them. Checks in
// order: nothing left (END), header does not fit (BAD_HEADER), empty name
// (END), name (BAD_NAME), stream past the end (BAD_STREAM). On END or an
// error the reader does not move, so a further call gives the same answer;
// *record may then hold the rejected header, *stream is null.
int McfNext(McfReader *reader, McfRecord *record, const unsigned char **stream);

// Reads one record header (MCF_HEADER_SIZE bytes at `header`) into
// *record: MCF_END for an empty name, MCF_BAD_NAME for a name that is not
// terminated in 260 bytes or not a plain file name, else MCF_RECORD. The
// stream's bounds are the caller's to check: the installer has it in
// memory, mcftool reads it from a file.
int McfReadHeader(const unsigned char *header, McfRecord *record);

// The length of the longest file name among the records, read from the
// headers alone (nothing is decoded): the setup dialog sizes its limit on the
// application directory by it. Stops at the first damaged record; 0 for a
// container without readable records.
uint32_t McfLongestName(const void *data, uint32_t size);

// The check value of a container, stored beside it when setup.exe is built
// (CMPFILE resource 122): the container's length and the CRC-32 of all its
// bytes, unsigned 32-bit little-endian each. Any changed byte and any cut
// or growth of the container show as a mismatch.
#define MCF_CHECK_SIZE 8u
void McfMakeCheck(unsigned char check[MCF_CHECK_SIZE], const void *data, uint32_t size);
// 1 when `check` (checkSize bytes) is the check value of data[0..size).
int McfCheckMatches(const void *check, uint32_t checkSize, const void *data, uint32_t size);
// A check value may go on with a second pair, the same of the uninstaller's
// container (CMPFILE resource 131), so that it is covered too; readers that
// know only the first pair find it where it always was. 1 when `check` has
// no second pair (built before it had one) or its second pair is the check
// value of data[0..size) (data may be null: then 0).
#define MCF_CHECK_BOTH_SIZE 16u
int McfCheckSecondMatches(const void *check, uint32_t checkSize, const void *data, uint32_t size);

// 1 when name is a file name that stays inside the directory it is appended
// to: not empty, none of \ / :, not "." or "..", not beginning with
// MCF_RESERVED_PREFIX. Otherwise 0.
int McfIsPlainFileName(const char *name);
