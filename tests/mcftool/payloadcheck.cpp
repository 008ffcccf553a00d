// Test-side payload checks. LocateContainer shares mcftool's search of a
// PE file; the rest is written plainly, as a second opinion on the tool.
#include "payloadcheck.h"

#include <stdio.h>
#include <string.h>

#include "container.h"
#include "crc32.h"
#include "implode.h"
#include "mcfstream.h"

bool WriteWholeFile(const std::string &path, const unsigned char *data, size_t size)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

namespace {

struct MemoryStream {
    const unsigned char *data;
    size_t size;
    size_t position;
    DecodedStream *result;
};

uint32_t ReadFromMemory(char *buffer, uint32_t *size, void *param)
{
    MemoryStream *m = (MemoryStream *)param;
    size_t n = m->size - m->position;
    if (n > *size)
        n = *size;
    memcpy(buffer, m->data + m->position, n);
    m->position += n;
    return (uint32_t)n;
}

void WriteToMemory(char *buffer, uint32_t *size, void *param)
{
    MemoryStream *m = (MemoryStream *)param;
    m->result->out.insert(m->result->out.end(), buffer, buffer + *size);
}

} // namespace

DecodedStream DecodeStream(const unsigned char *stream, size_t size)
{
    DecodedStream d;
    MemoryStream m = {stream, size, 0, &d};
    static ImplodeWorkArea work; // not on the stack of small-stack hosts
    d.result = ExpandImplodeStream(ReadFromMemory, WriteToMemory, &work, &m);
    d.used_all = m.position == size;
    d.crc32 = Crc32Of(d.out.data(), d.out.size());
    return d;
}

bool StreamHasSlack(const unsigned char *stream, size_t size)
{
    return size > 0 && DecodeStream(stream, size - 1).result == IMPLODE_OK;
}

Bytes Noise(size_t n, uint32_t state)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++) {
        state = state * 1103515245u + 12345u;
        b[i] = (unsigned char)(state >> 16);
    }
    return b;
}

uint32_t Crc32Of(const unsigned char *data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    while (size > 0) {
        uint32_t n = size > 0x40000000u ? 0x40000000u : (uint32_t)size;
        crc = UpdateCrc32((const char *)data, &n, &crc);
        data += n;
        size -= n;
    }
    return ~crc;
}

std::string BaseName(const std::string &path)
{
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string CheckRecordName(const std::string &name)
{
    if (name.empty())
        return "empty name";
    if (name.size() > MCF_NAME_SIZE - 1)
        return "name longer than 259 characters";
    if (name.find('\0') != std::string::npos || !McfIsPlainFileName(name.c_str()))
        return "not a plain file name";
    return std::string();
}

bool LocateContainer(const Bytes &file, const unsigned char **data, uint32_t *size,
                     std::string *why)
{
    if (file.size() >= 4 && memcmp(file.data(), MCF_MAGIC, 4) == 0) {
        if (file.size() > kMaxFormatSize) {
            *why = "container " MCF_TOO_LARGE;
            return false;
        }
        *data = file.data();
        *size = (uint32_t)file.size();
        return true;
    }
    size_t offset;
    if (!FindPayloadInImage(file.data(), file.size(), &offset, size, why))
        return false;
    *data = file.data() + offset;
    return true;
}
