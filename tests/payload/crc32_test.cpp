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

} // namespace
