// Any bytes as the stub of mcftool build: writing the payload resource must
// stay inside the stub whatever its headers and resource tree claim, and
// whatever it writes must be a file in which the reader finds exactly that
// payload, with a right checksum, that writes again to the same bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "mcfformat.h"
#include "peres.h"
#include "peres_write.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Bytes stub(data, data + size);
    static const Bytes payload = {'M', 'C', 'F', 'X', 1, 2, 3, 4, 5, 6, 7};
    PeResourceWrite out;
    std::string why;
    if (!PeWriteResource(stub, kPayloadType, kPayloadId, payload, &out, &why))
        return 0;
    const Bytes &img = out.image;
    size_t offset;
    uint32_t length;
    if (!PeFindResource(img.data(), img.size(), kPayloadType, kPayloadId, &offset, &length) ||
        length != payload.size() || memcmp(&img[offset], payload.data(), length) != 0)
        abort();
    size_t field;
    if (!PeChecksumField(img.data(), img.size(), &field))
        abort();
    uint32_t stored = (uint32_t)img[field] | (uint32_t)img[field + 1] << 8 |
                      (uint32_t)img[field + 2] << 16 | (uint32_t)img[field + 3] << 24;
    if (stored != PeComputeChecksum(img.data(), img.size(), field))
        abort();
    PeResourceWrite again;
    if (!PeWriteResource(img, kPayloadType, kPayloadId, payload, &again, &why) ||
        again.image != img)
        abort();
    return 0;
}
