#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crc32.h"

namespace {

uint32_t Crc(const std::string &s)
{
    uint32_t n = (uint32_t)s.size(), c = 0xFFFFFFFFu;
    return ~UpdateCrc32(s.data(), &n, &c);
}

TEST(Crc32, KnownValues)
{
    EXPECT_EQ(Crc(""), 0x00000000u);
    EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc("a"), 0xE8B7BE43u);
    EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(Crc32, InPiecesEqualsWholeAndLeavesArgumentsAlone)
{
    std::string data;
    for (int i = 0; i < 5000; i++)
        data += (char)(i * 131 + (i >> 3));
    uint32_t whole = Crc(data);
    for (uint32_t piece : {1u, 3u, 4u, 7u, 4096u}) {
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t at = 0; at < data.size(); at += piece) {
            uint32_t n = (uint32_t)std::min<size_t>(piece, data.size() - at);
            const uint32_t n_before = n, crc_before = crc;
            uint32_t next = UpdateCrc32(data.data() + at, &n, &crc);
            EXPECT_EQ(n, n_before);
            EXPECT_EQ(crc, crc_before);
            crc = next;
        }
        EXPECT_EQ(~crc, whole) << "piece " << piece;
    }
}

// Bit by bit, straight from the polynomial: nothing shared with the tables.
uint32_t BitwiseCrc(const unsigned char *p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; i++) {
        c ^= p[i];
        for (int b = 0; b < 8; b++)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

// The word lanes cover rows of 20 bytes and fold back on the last row; every
// length around those edges, from every alignment, must give the plain CRC.
TEST(Crc32, EveryLengthAndAlignmentAgreesWithTheBitwiseCrc)
{
    std::vector<unsigned char> data(4096 + 300);
    uint32_t state = 9;
    for (unsigned char &b : data) {
        state = state * 1103515245u + 12345u;
        b = (unsigned char)(state >> 23);
    }
    for (size_t offset = 0; offset < 8; offset++) {
        for (size_t n = 0; n <= 130; n++) {
            uint32_t len = (uint32_t)n, c = 0xFFFFFFFFu;
            const char *p = (const char *)data.data() + offset;
            ASSERT_EQ(~UpdateCrc32(p, &len, &c), BitwiseCrc(data.data() + offset, n))
                << "offset " << offset << " length " << n;
        }
    }
    for (uint32_t n : {4095u, 4096u, 4097u, 4096u + 19u, 4096u + 21u}) {
        uint32_t c = 0xFFFFFFFFu;
        EXPECT_EQ(~UpdateCrc32((const char *)data.data() + 3, &n, &c),
                  BitwiseCrc(data.data() + 3, n))
            << n;
    }
    // All-ones and all-zeros words, where a lane that drops its register
    // or a bit of the fold would show.
    for (unsigned char fill : {0x00, 0xFF}) {
        std::vector<unsigned char> flat(1000, fill);
        uint32_t n = (uint32_t)flat.size(), c = 0xFFFFFFFFu;
        EXPECT_EQ(~UpdateCrc32((const char *)flat.data(), &n, &c), BitwiseCrc(flat.data(), n));
    }
}

} // namespace
