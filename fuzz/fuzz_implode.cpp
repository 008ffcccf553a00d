// Any bytes as an implode stream, fed through reads whose sizes the input
// chooses. The decoder must never fault, must never write more than it is
// given room for, and must decode the same way every time: reads of any size
// give the same result and output as reads of 2,048 bytes, and the same
// result, blocks and number of reads as the plain reference decoder.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "implode.h"
#include "reference_decoder.h"

namespace {

struct Run {
    const uint8_t *data;
    size_t size;
    size_t position;
    size_t chunk;
    uint32_t reads;
    std::vector<uint8_t> out;
    std::vector<uint32_t> writes;
};

uint32_t Read(char *buffer, uint32_t *size, void *param)
{
    Run *r = (Run *)param;
    if (*size != 2048)
        abort();
    size_t most = r->reads++ == 0 ? 2048 : r->chunk;
    size_t n = r->size - r->position;
    if (n > most)
        n = most;
    memcpy(buffer, r->data + r->position, n);
    r->position += n;
    return (uint32_t)n;
}

void Write(char *buffer, uint32_t *size, void *param)
{
    Run *r = (Run *)param;
    if (*size > 4096)
        abort();
    r->writes.push_back(*size);
    r->out.insert(r->out.end(), buffer, buffer + *size);
}

ImplodeWorkArea *NewWorkArea()
{
    // Exactly what the extraction allocates, so ASan sees any overrun.
    ImplodeWorkArea *w = (ImplodeWorkArea *)malloc(IMPLODE_WORK_AREA_SIZE);
    memset(w, 0xCC, IMPLODE_WORK_AREA_SIZE);
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the size of the reads after the first one.
    size_t chunk = data[0] % 7 == 0 ? 2048 : 1 + data[0] % 13;
    Run a = {data + 1, size - 1, 0, 2048, 0, {}, {}};
    Run b = {data + 1, size - 1, 0, chunk, 0, {}, {}};
    ImplodeWorkArea *w = NewWorkArea();
    uint32_t ra = ExpandImplodeStream(Read, Write, w, &a);
    memset(w, 0x33, IMPLODE_WORK_AREA_SIZE);
    uint32_t rb = ExpandImplodeStream(Read, Write, w, &b);
    free(w);
    if (ra > IMPLODE_TRUNCATED || ra != rb || a.out != b.out)
        abort();
    if (ra >= IMPLODE_BAD_DICTSIZE && ra <= IMPLODE_SHORT_INPUT && !a.writes.empty())
        abort();
    if ((ra == IMPLODE_OK || ra == IMPLODE_TRUNCATED) && a.writes.empty())
        abort();
    for (size_t i = 0; i + 1 < a.writes.size(); i++)
        if (a.writes[i] != 4096)
            abort();
    ReferenceDecoder::Outcome ref = ReferenceDecoder::Run(data + 1, size - 1, 2048, chunk);
    if (ref.result != rb || ref.out != b.out || ref.writes != b.writes || ref.reads != b.reads)
        abort();
    return 0;
}
