// Little-endian fields, as the container, the implode stream and the PE
// file store their integers. Portable and header-only, so that setup.exe
// and the host tools read and write every field the same way. On a
// little-endian machine a read is one load.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>

inline uint32_t GetLe16(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

// An unsigned integer of sizeof(T) bytes.
template <typename T>
inline T LoadLe(const unsigned char *p)
{
    T v = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    memcpy(&v, p, sizeof v);
#else
    for (size_t i = sizeof v; i > 0; i--)
        v = (T)(v << 8 | p[i - 1]);
#endif
    return v;
}

inline uint32_t GetLe32(const unsigned char *p)
{
    return LoadLe<uint32_t>(p);
}
inline uint64_t GetLe64(const unsigned char *p)
{
    return LoadLe<uint64_t>(p);
}

inline void PutLe16(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}

inline void PutLe32(unsigned char *p, uint32_t v)
{
    PutLe16(p, v & 0xFFFF);
    PutLe16(p + 2, v >> 16);
}
