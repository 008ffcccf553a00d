// The encoder: its output is the smallest stream (against an exhaustive
// search on small inputs) and decodes back with the product's decoder.
#include <gtest/gtest.h>

#include <algorithm>

#include "encoder.h"
#include "mcfio.h"

namespace {

const ImplodeHeader kAllHeaders[] = {{0, 4}, {0, 5}, {0, 6}, {1, 4}, {1, 5}, {1, 6}};

Bytes Sample(int kind, size_t n)
{
    Bytes b(n);
    uint32_t state = 12345u + (uint32_t)kind;
    const char *words[] = {"Korvu ", "ark ", "7.2 ", "Setup ", "the ", "\r\n", "ledger ", "0042 "};
    size_t i = 0;
    while (i < n) {
        state = state * 1103515245u + 12345u;
        uint32_t r = state >> 16;
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
                EXPECT_FALSE(StreamHasSlack(stream.data(), stream.size()));
                EXPECT_TRUE(d.out == data) << "kind " << kind << " size " << n << " header "
                                           << h.literal_mode << " " << h.dictionary_bits;
            }
        }
    }
}

// Fewest bits over every parse: each literal and every (length, distance)
// copy the format admits at each position, no shortcut taken.
uint64_t ExhaustiveBits(const Bytes &data, ImplodeHeader h)
{
    const size_t n = data.size();
    const uint32_t window = 64u << h.dictionary_bits;
    std::vector<uint64_t> best(n + 1, UINT64_MAX);
    best[0] = 0;
    for (size_t i = 0; i < n; i++) {
        best[i + 1] = std::min(best[i + 1], best[i] + ImplodeLiteralCost(h, data[i]));
        for (uint32_t d = 1; d <= i && d <= window; d++) {
            for (uint32_t len = 1; len <= 518 && i + len <= n; len++) {
                if (data[i + len - 1] != data[i + len - 1 - d])
                    break;
                if (len == 1 || (len == 2 && d > 256))
                    continue;
                best[i + len] = std::min(best[i + len], best[i] + ImplodeCopyCost(h, len, d));
            }
        }
    }
    return best[n] + kImplodeEndCost;
}

Bytes Random(size_t n, int alphabet, uint32_t state)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++) {
        state = state * 1103515245u + 12345u;
        b[i] = (unsigned char)('a' + (state >> 16) % alphabet);
    }
    return b;
}

TEST(ImplodeEncode, MatchesTheExhaustiveOptimumOnSmallInputs)
{
    int checked = 0;
    for (uint32_t state = 1; state <= 400; state++) {
        size_t n = 1 + state % 40;
        Bytes data = Random(n, 1 + (int)(state % 4), state);
        for (const ImplodeHeader &h : kAllHeaders) {
            uint64_t bits = ImplodeOptimalBits(data.data(), data.size(), h);
            ASSERT_EQ(bits, ExhaustiveBits(data, h))
                << "state " << state << " header " << h.literal_mode << " " << h.dictionary_bits;
            checked++;
        }
    }
    // Long enough for the window and the 518-byte cap to bind.
    for (int kind = 0; kind < 4; kind++) {
        Bytes data = kind < 2 ? Random(1600, 2 + kind, 99u + kind) : Sample(kind, 1600);
        for (const ImplodeHeader &h : kAllHeaders)
            ASSERT_EQ(ImplodeOptimalBits(data.data(), data.size(), h), ExhaustiveBits(data, h))
                << "kind " << kind << " header " << h.literal_mode << " " << h.dictionary_bits;
    }
    Bytes periodic;
    // Runs longer than the longest copy, apart by more than the small window.
    for (int i = 0; i < 1900; i++)
        periodic.push_back((unsigned char)(i % 1300 < 600 ? i % 3 : i * 7919 % 1031 % 5));
    for (const ImplodeHeader &h : kAllHeaders)
        ASSERT_EQ(ImplodeOptimalBits(periodic.data(), periodic.size(), h),
                  ExhaustiveBits(periodic, h));
    EXPECT_EQ(checked, 2400);
}

} // namespace
