// Any bytes as a built setup.exe: finding the CMPFILE resource must stay
// inside the file whatever its headers and resource directory claim.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "mcfformat.h"
#include "peres.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    uint8_t *copy = (uint8_t *)malloc(size ? size : 1);
    memcpy(copy, data, size);
    size_t offset = 0;
    uint32_t length = 0;
    if (PeFindResource(copy, size, kPayloadType, kPayloadId, &offset, &length)) {
        if (offset > size || length > size - offset)
            abort();
        volatile uint8_t touch = length ? copy[offset] ^ copy[offset + length - 1] : 0;
        (void)touch;
    }
    (void)PeIsImage(copy, size);
    free(copy);
    return 0;
}
