// Container walk with bounds checks on every header and stream, so that a
// damaged or hostile payload can neither read past its resource nor name a
// file outside the application directory.
#include "container.h"
#include "crc32.h"

#include <string.h>

#include "le.h"

int McfOpen(McfReader *reader, const void *data, uint32_t size)
{
    reader->next = (const unsigned char *)data;
    reader->left = 0;
    if (size < 4 || memcmp(data, MCF_MAGIC, 4) != 0)
        return MCF_BAD_MAGIC;
    reader->next += 4;
    reader->left = size - 4;
    return MCF_RECORD;
}

int McfNext(McfReader *reader, McfRecord *record, const unsigned char **stream)
{
    *stream = nullptr;
    if (reader->left == 0)
        return MCF_END;
    if (reader->left < MCF_HEADER_SIZE)
        return MCF_BAD_HEADER;

    const unsigned char *p = reader->next;
    int header = McfReadHeader(p, record);
    if (header != MCF_RECORD)
        return header;
    if (record->stream_length > reader->left - MCF_HEADER_SIZE)
        return MCF_BAD_STREAM;

    *stream = p + MCF_HEADER_SIZE;
    reader->next = p + MCF_HEADER_SIZE + record->stream_length;
    reader->left -= MCF_HEADER_SIZE + record->stream_length;
    return MCF_RECORD;
}

int McfReadHeader(const unsigned char *header, McfRecord *record)
{
    record->stream_length = GetLe32(header);
    record->crc32 = GetLe32(header + 4);
    memcpy(record->file_name, header + 8, MCF_NAME_SIZE);
    if (record->file_name[0] == 0)
        return MCF_END;
    if (memchr(record->file_name, 0, MCF_NAME_SIZE) == nullptr ||
        !McfIsPlainFileName(record->file_name))
        return MCF_BAD_NAME;
    return MCF_RECORD;
}

int McfIsPlainFileName(const char *name)
{
    if (name[0] == 0 || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return 0;
    if (name[0] == '~' && (name[1] | 0x20) == 'k' && (name[2] | 0x20) == 'v')
        return 0;
    return strpbrk(name, "\\/:") == nullptr;
}

uint32_t McfLongestName(const void *data, uint32_t size)
{
    McfReader reader;
    McfRecord record;
    const unsigned char *stream;
    uint32_t longest = 0;
    if (McfOpen(&reader, data, size) != MCF_RECORD)
        return 0;
    while (McfNext(&reader, &record, &stream) == MCF_RECORD) {
        uint32_t length = (uint32_t)strlen(record.file_name);
        if (length > longest)
            longest = length;
    }
    return longest;
}

static uint32_t ContainerCrc(const void *data, uint32_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    return ~UpdateCrc32((const char *)data, &size, &crc);
}

void McfMakeCheck(unsigned char check[MCF_CHECK_SIZE], const void *data, uint32_t size)
{
    PutLe32(check, size);
    PutLe32(check + 4, ContainerCrc(data, size));
}

int McfCheckMatches(const void *check, uint32_t checkSize, const void *data, uint32_t size)
{
    const unsigned char *c = (const unsigned char *)check;
    return checkSize >= MCF_CHECK_SIZE && GetLe32(c) == size &&
           GetLe32(c + 4) == ContainerCrc(data, size);
}

int McfCheckSecondMatches(const void *check, uint32_t checkSize, const void *data, uint32_t size)
{
    if (checkSize < MCF_CHECK_BOTH_SIZE)
        return 1;
    return data && McfCheckMatches((const unsigned char *)check + MCF_CHECK_SIZE,
                                   checkSize - MCF_CHECK_SIZE, data, size);
}
