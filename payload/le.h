// Little-endian fields, as the container, the implode stream and the PE
// file store their integers. Portable and header-only, so that setup.exe
// and the host tools read and write every field the same way. On a
// little-endian machine a read is one load.
#pragma once
#include <stdint.h>
#include <string.h>

inline uint32_t GetLe16(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

inline uint32_t GetLe32(const unsigned char *p)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
#else
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
#endif
}

inline uint64_t GetLe64(const unsigned char *p)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
#else
    return (uint64_t)GetLe32(p) | (uint64_t)GetLe32(p + 4) << 32;
#endif
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
