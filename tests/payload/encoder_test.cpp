// The encoder: round trips through the product's decoder in every header.
#include <gtest/gtest.h>

#include "encoder.h"
#include "mcfio.h"

namespace {

const ImplodeHeader kAllHeaders[] = {{0, 4}, {0, 5}, {0, 6}, {1, 4}, {1, 5}, {1, 6}};

Bytes Sample(int kind, size_t n)
{
    Bytes b(n);
    uint32_t seed = 12345u + (uint32_t)kind;
    const char *words[] = {"Korvu ", "ark ", "7.2 ", "Setup ", "the ", "\r\n", "ledger ", "0042 "};
    size_t i = 0;
    while (i < n) {
        seed = seed * 1103515245u + 12345u;
        uint32_t r = seed >> 16;
        switch (kind) {
        case 0: b[i++] = (unsigned char)r; break;                 // noise
        case 1: b[i++] = 0; break;                                // one long run
        case 2: {                                                 // words
            const char *w = words[r % 8];
            while (*w && i < n)
                b[i++] = (unsigned char)*w++;
            break;
        }
        default: b[i] = (unsigned char)(i % 251 < 20 ? r : b[i >= 4099 ? i - 4099 : 0]); i++;
        }
    }
    return b;
}

TEST(ImplodeEncode, RoundTripsInEveryHeader)
{
    for (int kind = 0; kind < 4; kind++) {
        for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(1000), size_t(20000)}) {
            Bytes data = Sample(kind, n);
            for (const ImplodeHeader &h : kAllHeaders) {
                Bytes stream = ImplodeOptimal(data.data(), data.size(), h);
                ASSERT_GE(stream.size(), 4u);
                EXPECT_EQ(stream[0], h.literal_mode);
                EXPECT_EQ(stream[1], h.dictionary_bits);
                EXPECT_EQ((stream.size() - 2) * 8,
                          (ImplodeOptimalBits(data.data(), data.size(), h) + 7) / 8 * 8);
                if (stream.size() <= 4)
                    continue; // too short for the decoder; the packer stores empty files bare
                DecodedStream d = DecodeStream(stream.data(), stream.size());
                EXPECT_EQ(d.result, 0u);
                EXPECT_TRUE(d.used_all);
                EXPECT_TRUE(d.out == data) << "kind " << kind << " size " << n << " header "
                                           << h.literal_mode << " " << h.dictionary_bits;
            }
        }
    }
}

} // namespace
