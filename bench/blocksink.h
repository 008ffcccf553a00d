// The decoder's callbacks as the extraction drives them: the stream handed
// out in reads of the size asked for, every output block copied out as it
// is handed to WriteFile, with its CRC-32 when asked. The host and the
// Win32 benchmarks share them, so that both time the same path.
#pragma once
#include <stdint.h>
#include <string.h>

#include <algorithm>

#include "crc32.h"

struct BlockSink {
    const unsigned char *in; // the implode stream
    uint32_t in_size;
    uint32_t position;
    unsigned char *out; // where the next block goes
    bool crc;
    uint32_t crc_value;
};

inline uint32_t BlockSinkRead(char *buffer, uint32_t *size, void *param)
{
    BlockSink *k = (BlockSink *)param;
    uint32_t n = std::min(k->in_size - k->position, *size);
    memcpy(buffer, k->in + k->position, n);
    k->position += n;
    return n;
}

inline void BlockSinkWrite(char *buffer, uint32_t *size, void *param)
{
    BlockSink *k = (BlockSink *)param;
    if (k->crc)
        k->crc_value = UpdateCrc32(buffer, size, &k->crc_value);
    memcpy(k->out, buffer, *size);
    k->out += *size;
}
