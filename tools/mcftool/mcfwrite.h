// Writing the payload container: the magic, then per file its record
// header and stream (the layout is in container.h).
#pragma once
#include <stdint.h>

#include <string>

#include "container.h"
#include "mcfformat.h"

// The record header of a file: its stream's length, its CRC-32 and its
// name (at most 259 bytes in the code page) padded with zeros.
void McfWriteHeader(unsigned char header[MCF_HEADER_SIZE], const std::string &name, uint32_t crc32,
                    uint32_t stream_length);

// Appends one record (header and stream) to a container being built.
void AppendRecord(Bytes *container, const std::string &name, uint32_t crc32, const Bytes &stream);
