// Table-driven CRC-32: the byte-wise table, and three more derived from it
// so that four bytes are folded per step (the same result as byte by byte).
#include "crc32.h"

namespace {

struct Crc32Tables {
    uint32_t t[4][256];
};

constexpr Crc32Tables MakeTables()
{
    Crc32Tables tables{};
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t c = i;
        for (int round = 0; round < 8; round++)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        tables.t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; i++)
        for (int k = 1; k < 4; k++)
            tables.t[k][i] = (tables.t[k - 1][i] >> 8) ^ tables.t[0][tables.t[k - 1][i] & 0xFF];
    return tables;
}

constexpr Crc32Tables kCrc = MakeTables();
static_assert(kCrc.t[0][1] == 0x77073096u && kCrc.t[0][255] == 0x2D02EF8Du,
              "reflected CRC-32 table");

} // namespace

uint32_t UpdateCrc32(const char *buffer, const uint32_t *length, const uint32_t *crc)
{
    const unsigned char *p = (const unsigned char *)buffer;
    uint32_t n = *length;
    uint32_t c = *crc;
    for (; n >= 4; n -= 4, p += 4) {
        c ^= (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
        c = kCrc.t[3][c & 0xFF] ^ kCrc.t[2][(c >> 8) & 0xFF] ^ kCrc.t[1][(c >> 16) & 0xFF] ^
            kCrc.t[0][c >> 24];
    }
    for (; n > 0; n--, p++)
        c = kCrc.t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return c;
}
