// The payload's check value (CMPFILE resource 122 of a built setup.exe: the
// container's length and CRC-32, see container.h), which setup.exe compares
// before it writes anything. Readers that know only resource 121 never see it.
#pragma once
#include <stdint.h>

#include <string>

#include "container.h"

// Running length and CRC-32 of a container being written.
struct CheckValueSum {
    uint64_t length = 0;
    uint32_t crc = 0xFFFFFFFFu;
    void Add(const unsigned char *data, size_t size);
    // The 8 bytes of the resource; false when over 4 GB.
    bool Value(unsigned char out[MCF_CHECK_SIZE]) const;
};

// What a built setup.exe says of its payload's check value.
enum class CheckValueState {
    NotAnImage, // not a PE file with a payload: nothing to say
    Absent,     // built before setup.exe checked itself
    Matches,
    Mismatch,
    Damaged, // resource 122 too short to hold a check value
};
struct CheckValueFound {
    CheckValueState state = CheckValueState::NotAnImage;
    uint32_t length = 0; // as stored
    uint32_t crc = 0;
    bool uninstaller = false; // the value covers the uninstaller (resource 131) too
};
// Reads the check value of the setup.exe at path and sums its payload in
// pieces (the payload need not fit in memory). False with a reason when
// the file cannot be read.
bool ReadCheckValue(const char *path, CheckValueFound *found, std::string *why);
