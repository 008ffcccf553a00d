// Record headers, written the way McfReadHeader reads them.
#include "mcfwrite.h"

#include <string.h>

#include "le.h"

void McfWriteHeader(unsigned char header[MCF_HEADER_SIZE], const std::string &name, uint32_t crc32,
                    uint32_t stream_length)
{
    memset(header, 0, MCF_HEADER_SIZE);
    PutLe32(header, stream_length);
    PutLe32(header + 4, crc32);
    memcpy(header + 8, name.data(), name.size() < MCF_NAME_SIZE ? name.size() : MCF_NAME_SIZE);
}

void AppendRecord(Bytes *container, const std::string &name, uint32_t crc32, const Bytes &stream)
{
    unsigned char header[MCF_HEADER_SIZE];
    McfWriteHeader(header, name, crc32, (uint32_t)stream.size());
    container->insert(container->end(), header, header + MCF_HEADER_SIZE);
    container->insert(container->end(), stream.begin(), stream.end());
}
