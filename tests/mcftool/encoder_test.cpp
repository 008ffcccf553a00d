// The encoder: its output is the smallest stream (against an exhaustive
// search on small inputs) and decodes back with the product's decoder.
#include <gtest/gtest.h>

#include <algorithm>

#include "encoder.h"
#include "implode.h"
#include "payloadcheck.h"

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
        case 0: b[i++] = (unsigned char)r; break; // noise
        case 1: b[i++] = 0; break;                // one long run
        case 2: {                                 // words
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
                // An empty input's stream carries one byte more, for the decoder.
                EXPECT_EQ((stream.size() - 2 - (n == 0)) * 8,
                          (ImplodeOptimalBits(data.data(), data.size(), h) + 7) / 8 * 8);
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

// The streaming parse with a small span: fed in uneven pieces it settles and
// writes out again and again, and still gives the exhaustive optimum and
// the same bytes as one call; where no join comes within the span (a run
// longer than half of it), it cuts, and each cut costs at most 1,035
// literals' worth of bits.
Bytes Streamed(const Bytes &data, ImplodeHeader h, uint32_t span, uint64_t *bits, uint64_t *cuts)
{
    ImplodeEncoder e(h, span);
    Bytes out;
    size_t piece = 1;
    for (size_t at = 0; at < data.size(); at += piece, piece = piece * 3 % 1999 + 1) {
        EXPECT_TRUE(e.Write(data.data() + at, std::min(piece, data.size() - at)));
        e.Take(&out);
    }
    e.Finish();
    e.Take(&out);
    *bits = e.Bits();
    *cuts = e.Cuts();
    EXPECT_EQ(e.InputSize(), data.size());
    return out;
}

TEST(ImplodeEncode, StreamsWithinItsSpan)
{
    Bytes text = Sample(2, 6000), mixed = Random(8000, 3, 7), noise = Sample(0, 8000);
    for (const Bytes *data : {&text, &mixed, &noise}) {
        for (const ImplodeHeader &h : {ImplodeHeader{0, 4}, ImplodeHeader{1, 5}}) {
            uint64_t bits, cuts;
            Bytes out = Streamed(*data, h, 2048, &bits, &cuts);
            EXPECT_EQ(cuts, 0u);
            EXPECT_EQ(bits, ExhaustiveBits(*data, h));
            EXPECT_EQ(out, ImplodeOptimal(data->data(), data->size(), h));
            DecodedStream d = DecodeStream(out.data(), out.size());
            EXPECT_TRUE(d.result == 0 && d.out == *data);
        }
    }

    // Runs of one byte keep 518 parallel chains apart for their whole length.
    Bytes runs = Sample(2, 3000);
    runs.resize(20000, 0);
    Bytes tail = Sample(2, 5000);
    runs.insert(runs.end(), tail.begin(), tail.end());
    const uint32_t kWorstLiteral = 14; // a text literal's longest code and flag
    for (const ImplodeHeader &h : kAllHeaders) {
        uint64_t bits, cuts;
        Bytes out = Streamed(runs, h, 2048, &bits, &cuts);
        DecodedStream d = DecodeStream(out.data(), out.size());
        EXPECT_TRUE(d.result == 0 && d.out == runs);
        // With the default span the same input needs no cut: the optimum
        // (too slow for the exhaustive search over a long run).
        ImplodeEncoder whole(h);
        whole.Write(runs.data(), runs.size());
        whole.Finish();
        EXPECT_EQ(whole.Cuts(), 0u);
        uint64_t optimum = whole.Bits();
        EXPECT_GT(cuts, 0u);
        EXPECT_GE(bits, optimum);
        EXPECT_LE(bits, optimum + cuts * 1035 * kWorstLiteral);
    }
}

TEST(ImplodeEncode, EmptyInputGivesAStreamTheDecoderTakes)
{
    for (const ImplodeHeader &h : kAllHeaders) {
        Bytes stream = ImplodeOptimal(nullptr, 0, h);
        ASSERT_EQ(stream.size(), 5u);
        EXPECT_EQ(stream[4], 0) << "the padding byte";
        DecodedStream d = DecodeStream(stream.data(), stream.size());
        EXPECT_EQ(d.result, 0u);
        EXPECT_TRUE(d.out.empty());
    }
}

} // namespace
