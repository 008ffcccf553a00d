// What the host tools say about a decoded stream. A file of its own, so
// that setup.exe, which reports no decoder results by name, links none of it.
#include "implode.h"

const char *ImplodeResultName(uint32_t result)
{
    switch (result) {
    case IMPLODE_OK: return "IMPLODE_OK";
    case IMPLODE_BAD_DICTSIZE: return "IMPLODE_BAD_DICTSIZE";
    case IMPLODE_BAD_MODE: return "IMPLODE_BAD_MODE";
    case IMPLODE_SHORT_INPUT: return "IMPLODE_SHORT_INPUT";
    case IMPLODE_TRUNCATED: return "IMPLODE_TRUNCATED";
    }
    return "unknown result";
}

int ImplodeEndsInLastByte(uint64_t stream_length, uint64_t expanded, uint64_t trailing)
{
    return trailing == 0 || (stream_length == 5 && expanded == 0 && trailing == 1);
}
