#include "mcfio.h"

#include <stdio.h>
#include <string.h>

#include "container.h"
#include "crc32.h"
#include "implode.h"
#include "mcfstream.h"
#include "peres.h"

bool ReadWholeFile(const std::string &path, Bytes *data)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    data->clear();
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        data->insert(data->end(), block, block + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

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

void AppendRecord(Bytes *container, const std::string &name, uint32_t crc32,
                  const Bytes &stream)
{
    unsigned char header[MCF_HEADER_SIZE] = {0};
    uint32_t length = (uint32_t)stream.size();
    for (int i = 0; i < 4; i++) {
        header[i] = (unsigned char)(length >> (8 * i));
        header[4 + i] = (unsigned char)(crc32 >> (8 * i));
    }
    memcpy(header + 8, name.data(), name.size());
    container->insert(container->end(), header, header + MCF_HEADER_SIZE);
    container->insert(container->end(), stream.begin(), stream.end());
}

bool LocateContainer(const Bytes &file, const unsigned char **data, uint32_t *size,
                     std::string *why)
{
    if (file.size() >= 4 && memcmp(file.data(), MCF_MAGIC, 4) == 0) {
        if (file.size() > 0xFFFFFFFFu) {
            *why = "container larger than 4 GB";
            return false;
        }
        *data = file.data();
        *size = (uint32_t)file.size();
        return true;
    }
    if (!PeIsImage(file.data(), file.size())) {
        *why = "neither a container (no MCFX magic) nor a PE file";
        return false;
    }
    if (!PeSectionsFit(file.data(), file.size(), file.size(), why))
        return false;
    size_t offset;
    uint32_t length;
    if (!PeFindResource(file.data(), file.size(), "CMPFILE", 121, &offset, &length)) {
        *why = "PE file without a readable CMPFILE resource 121";
        return false;
    }
    *data = file.data() + offset;
    *size = length;
    return true;
}

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
