// Any bytes as a container, walked twice: by mcftool's streaming record walk
// (one decode per stream, trailing bytes told by where the decoder stopped)
// and by the in-place reader with a whole-buffer decode and the old test for
// trailing bytes (decode again without the last byte). Both must agree on
// every record, its decoded size, CRC and soundness, and on how the walk
// ends.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "container.h"
#include "implode.h"
#include "mcfstream.h"
#include "payloadcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    std::vector<unsigned char> copy(data, data + size);
    McfReader reader;
    if (McfOpen(&reader, copy.data(), (uint32_t)size) != MCF_RECORD)
        return 0;

    std::vector<RecordResult> streamed;
    RecordVisitor visit;
    visit.done = [&](const RecordResult &r) {
        streamed.push_back(r);
        return true;
    };
    MemorySource src(copy.data() + 4, size - 4);
    std::string damage;
    bool ended = WalkRecordStream(src, size - 4, visit, &damage);

    size_t n = 0;
    McfRecord rec;
    const unsigned char *stream;
    int code;
    while ((code = McfNext(&reader, &rec, &stream)) == MCF_RECORD) {
        if (n >= streamed.size())
            abort();
        const RecordResult &s = streamed[n++];
        if (s.record.stream_length != rec.stream_length ||
            strcmp(s.record.file_name, rec.file_name))
            abort();
        bool sound;
        if (rec.stream_length == 0) {
            sound = rec.crc32 == 0;
            if (s.expanded != 0)
                abort();
        } else {
            DecodedStream d = DecodeStream(stream, rec.stream_length);
            if (d.result != s.decoder || d.out.size() != s.expanded || d.crc32 != s.crc32)
                abort();
            bool empty_form = rec.stream_length == 5 && d.out.empty() && d.used_all;
            sound = d.result == IMPLODE_OK && d.used_all &&
                    (!StreamHasSlack(stream, rec.stream_length) || empty_form) &&
                    d.crc32 == rec.crc32;
        }
        if (sound != s.problem.empty())
            abort();
    }
    if (n != streamed.size())
        abort();
    if ((code == MCF_END) != ended)
        abort();
    return 0;
}
