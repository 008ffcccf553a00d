// Any bytes as a payload container. The walk must stay inside the bytes it
// is given (ASan sees a read past the copy below), hand out only plain
// names, and end with END or one of its errors.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size copy, so a read one byte too far is caught.
    uint8_t *copy = (uint8_t *)malloc(size ? size : 1);
    memcpy(copy, data, size);
    McfReader r;
    if (McfOpen(&r, copy, (uint32_t)size) == MCF_RECORD) {
        McfRecord rec;
        const unsigned char *stream;
        int code;
        uint32_t total = 4;
        while ((code = McfNext(&r, &rec, &stream)) == MCF_RECORD) {
            if (!McfIsPlainFileName(rec.file_name) || strlen(rec.file_name) > 259)
                abort();
            if (stream < copy || stream + rec.stream_length > copy + size)
                abort();
            // Touch the first and last byte of the stream.
            if (rec.stream_length)
                total += stream[0] + stream[rec.stream_length - 1];
            total += MCF_HEADER_SIZE + rec.stream_length;
        }
        if (code > MCF_END || code < MCF_BAD_NAME)
            abort();
        (void)total;
    }
    free(copy);
    return 0;
}
