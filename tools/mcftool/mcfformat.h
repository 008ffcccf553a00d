// What every part of mcftool knows about the payload: its bytes, where it
// sits in setup.exe, and the format's 4 GB bound.
#pragma once
#include <errno.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "bytes.h"
#include "resource.h"

// The payload resource of setup.exe, as the installer finds it.
const char kPayloadType[] = RT_CMPFILE;
const uint32_t kPayloadId = IDR_CMPFILE;
// The payload's check value beside it (checkvalue.h).
const uint32_t kCheckValueId = IDR_CMPCHECK;

// The format's sizes are 32-bit: no container, stream or file is larger.
const uint64_t kMaxFormatSize = 0xFFFFFFFFu;
#define MCF_TOO_LARGE "larger than 4 GB, more than the format's sizes can hold"

// "cannot read: " and what errno says, for a read that just failed.
inline std::string ReadFailure()
{
    return std::string("cannot read: ") + strerror(errno);
}
// The same for a write.
inline std::string WriteFailure()
{
    return std::string("cannot write: ") + strerror(errno);
}
