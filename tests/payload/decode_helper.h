// Drives the decoder over a byte vector and records every callback, so that
// tests can check the blocks it read and wrote as well as the bytes.
#pragma once
#include <stdint.h>
#include <string.h>

#include <gtest/gtest.h>

#include <vector>

#include "bytes.h"
#include "implode.h"

struct DecodeRun {
    uint32_t result = 0xDEAD;
    Bytes out;
    std::vector<uint32_t> write_sizes;
    std::vector<uint32_t> read_sizes; // what each read returned
    size_t consumed = 0;              // stream bytes handed out
    uint32_t unused = 0;              // ImplodeUnusedInput after IMPLODE_OK
};

struct DecodeSource {
    const Bytes *stream;
    size_t position;
    size_t first; // most bytes the first read hands out
    size_t chunk; // most bytes each later read hands out
    DecodeRun *run;
};

inline uint32_t TestRead(char *buffer, uint32_t *size, void *param)
{
    DecodeSource *s = (DecodeSource *)param;
    EXPECT_EQ(*size, 2048u) << "every read asks for 2,048 bytes";
    size_t n = s->stream->size() - s->position;
    size_t most = s->run->read_sizes.empty() ? s->first : s->chunk;
    if (n > most)
        n = most;
    if (n > *size)
        n = *size;
    if (n)
        memcpy(buffer, s->stream->data() + s->position, n);
    s->position += n;
    *size = 0xFFFFFFFFu; // ignored by the decoder
    s->run->read_sizes.push_back((uint32_t)n);
    return (uint32_t)n;
}

inline void TestWrite(char *buffer, uint32_t *size, void *param)
{
    DecodeSource *s = (DecodeSource *)param;
    s->run->write_sizes.push_back(*size);
    s->run->out.insert(s->run->out.end(), buffer, buffer + *size);
}

// Later reads hand out `chunk` bytes; the first one at least 5, unless told.
inline DecodeRun Decode(const Bytes &stream, size_t chunk = 2048, size_t first = 0)
{
    DecodeRun run;
    DecodeSource s = {&stream, 0, first ? first : (chunk < 5 ? 5 : chunk), chunk, &run};
    static ImplodeWorkArea work;
    memset(&work, 0xCC, sizeof work); // garbage, as in a fresh heap block
    run.result = ExpandImplodeStream(TestRead, TestWrite, &work, &s);
    run.consumed = s.position;
    if (run.result == IMPLODE_OK)
        run.unused = ImplodeUnusedInput(&work);
    return run;
}
