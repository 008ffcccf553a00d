// The payload's check value (CMPFILE resource 122 of a built setup.exe: the
// container's length and CRC-32, see container.h), which setup.exe compares
// before it writes anything. Readers that know only resource 121 never see it.
#pragma once
#include <stdint.h>

#include <string>

#include "container.h"

const uint32_t kCheckValueId = 122;

// Running length and CRC-32 of a container being written.
struct CheckValueSum {
    uint64_t length = 0;
    uint32_t crc = 0xFFFFFFFFu;
    void Add(const unsigned char *data, size_t size);
    // The 8 bytes of the resource; false when over 4 GB.
    bool Value(unsigned char out[MCF_CHECK_SIZE]) const;
};

// For list and verify of a built setup.exe at path: says on standard output
// whether it carries a check value and whether the payload matches it.
// -1 when it matches or there is none (or path is no PE file), else 1 after
// a message on standard error. `say` false: only the message of a mismatch.
int ReportCheckValue(const char *path, bool say = true);
