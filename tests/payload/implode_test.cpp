// The decoder against hand-made streams: the format's examples, its header
// checks in their order, short and truncated input, the block structure of
// the output, and every escape of the text-mode literal alphabet.
#include <gtest/gtest.h>

#include "decode_helper.h"
#include "encoder.h"
#include "reference_decoder.h"

namespace {

const ImplodeHeader kBinary4k = {IMPLODE_BINARY, 6};
const ImplodeHeader kText4k = {IMPLODE_TEXT, 6};

Bytes Hex(std::initializer_list<int> bytes)
{
    Bytes b;
    for (int x : bytes)
        b.push_back((unsigned char)x);
    return b;
}

Bytes Text(const char *s)
{
    return Bytes(s, s + strlen(s));
}

Bytes Pattern(size_t n, uint32_t state)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++) {
        state = state * 1103515245u + 12345u;
        b[i] = (unsigned char)(state >> 24);
    }
    return b;
}

// ---------------------------------------------------------------- examples

TEST(ImplodeDecode, ExampleStreams)
{
    struct {
        Bytes stream;
        Bytes expected;
    } cases[] = {
        {Hex({0x00, 0x06, 0x82, 0x02, 0xFE, 0x01}), Hex({0x41})},
        {Hex({0x00, 0x06, 0x82, 0x08, 0xCD, 0x41, 0xC0, 0x3F}),
         Hex({0x41, 0x42, 0x41, 0x42, 0x41, 0x42})},
        {Hex({0x00, 0x04, 0xC2, 0x3E, 0x04, 0xFC, 0x03}), Hex({0x61, 0x61, 0x61, 0x61})},
    };
    for (auto &c : cases) {
        DecodeRun run = Decode(c.stream);
        EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
        EXPECT_EQ(run.out, c.expected);
        ASSERT_EQ(run.write_sizes.size(), 1u) << "one final write";
        EXPECT_EQ(run.consumed, c.stream.size());
    }
}

// What lies after the end unit is counted exactly, however the input was
// cut into reads: that is how a stream's slack is told without a second pass.
TEST(ImplodeDecode, UnusedInputAfterTheEndUnit)
{
    const Bytes inputs[] = {Text("A"), Pattern(3000, 7), Pattern(9000, 11), Bytes(5000, 'x'),
                            Text("abcabcabcabcabcabc")};
    for (const Bytes &data : inputs) {
        for (ImplodeHeader h : {kBinary4k, kText4k}) {
            const Bytes stream = ImplodeOptimal(data.data(), data.size(), h);
            for (size_t slack = 0; slack < 4; slack++) {
                Bytes padded = stream;
                padded.insert(padded.end(), slack, 0xA5);
                for (size_t chunk : {size_t(1), size_t(7), size_t(2048)}) {
                    DecodeRun run = Decode(padded, chunk);
                    ASSERT_EQ(run.result, (uint32_t)IMPLODE_OK);
                    EXPECT_EQ(run.out, data);
                    EXPECT_EQ(run.consumed - run.unused, stream.size())
                        << "input " << data.size() << " slack " << slack << " chunk " << chunk;
                }
            }
        }
    }
}

TEST(ImplodeDecode, HeaderChecksInOrder)
{
    struct {
        int mode, bits;
        uint32_t result;
    } cases[] = {
        {0, 7, IMPLODE_BAD_DICTSIZE}, {2, 6, IMPLODE_BAD_MODE},     {2, 7, IMPLODE_BAD_DICTSIZE},
        {0, 3, IMPLODE_BAD_DICTSIZE}, {1, 0, IMPLODE_BAD_DICTSIZE}, {255, 4, IMPLODE_BAD_MODE},
        {0, 4, IMPLODE_OK},           {1, 5, IMPLODE_OK},           {1, 6, IMPLODE_OK},
    };
    for (auto &c : cases) {
        // An empty stream's end unit, then a spare byte so the first read is long enough.
        DecodeRun run = Decode(Hex({c.mode, c.bits, 0x01, 0xFF, 0x00}));
        EXPECT_EQ(run.result, c.result) << "header " << c.mode << " " << c.bits;
        if (c.result == IMPLODE_OK) {
            EXPECT_EQ(run.write_sizes, std::vector<uint32_t>{0}) << "final write of size 0";
        } else {
            EXPECT_TRUE(run.write_sizes.empty()) << "header " << c.mode << " " << c.bits;
        }
    }
}

TEST(ImplodeDecode, FirstReadOfFourBytesOrFewerIsShortInput)
{
    // 00 06 01 FF is a whole empty stream, yet too short for the decoder.
    Bytes whole = Hex({0x00, 0x06, 0x01, 0xFF});
    for (size_t n = 0; n <= 4; n++) {
        DecodeRun run = Decode(Bytes(whole.begin(), whole.begin() + n));
        EXPECT_EQ(run.result, (uint32_t)IMPLODE_SHORT_INPUT) << n << " bytes";
        EXPECT_TRUE(run.write_sizes.empty());
    }
    // The same when a longer stream arrives in small reads.
    ImplodeBitWriter w(kBinary4k);
    for (unsigned char c : Text("hello, hello"))
        w.Literal(c);
    DecodeRun run = Decode(w.Finish(), 4, 4);
    EXPECT_EQ(run.result, (uint32_t)IMPLODE_SHORT_INPUT);
    EXPECT_EQ(run.read_sizes.size(), 1u);
}

// ---------------------------------------------------------------- truncation

TEST(ImplodeDecode, EveryCutPointIsTruncatedWithADecodedPrefix)
{
    const ImplodeHeader headers[] = {kBinary4k, kText4k, {IMPLODE_BINARY, 4}};
    Bytes data = Text("Korvu ark 7.2 \x01\x80\xFF Korvu ark, Korvu ark 7.2!");
    for (const ImplodeHeader &h : headers) {
        Bytes stream = ImplodeOptimal(data.data(), data.size(), h);
        ASSERT_EQ(Decode(stream).out, data);
        for (size_t cut = 5; cut < stream.size(); cut++) {
            for (size_t chunk : {size_t(1), size_t(2048)}) {
                DecodeRun run = Decode(Bytes(stream.begin(), stream.begin() + cut), chunk);
                EXPECT_EQ(run.result, (uint32_t)IMPLODE_TRUNCATED) << "cut " << cut;
                ASSERT_LE(run.out.size(), data.size());
                EXPECT_TRUE(std::equal(run.out.begin(), run.out.end(), data.begin()))
                    << "cut " << cut << ": output is not a prefix";
                EXPECT_EQ(run.consumed, cut);
                ASSERT_FALSE(run.write_sizes.empty());
            }
        }
    }
}

TEST(ImplodeDecode, ReadsOnlyWhatItNeeds)
{
    ImplodeBitWriter w(kBinary4k);
    w.Literal('x');
    w.Copy(10, 1);
    Bytes stream = w.Finish();
    const size_t length = stream.size();
    // The end unit's last 8 bits end the stream: the last read returns 0.
    DecodeRun run = Decode(stream, 1);
    EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
    EXPECT_EQ(run.out, Bytes(11, 'x')) << "a copy of length 10 at distance 1";
    EXPECT_EQ(run.consumed, length);
    EXPECT_EQ(run.read_sizes.back(), 0u);
    // With bytes behind the stream it takes exactly one more, to keep
    // 8 bits in hand, and leaves the rest.
    stream.resize(length + 3, 0);
    run = Decode(stream, 1);
    EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
    EXPECT_EQ(run.consumed, length + 1);
    // More than a block behind the stream is never asked for.
    stream.resize(length + 2048 + 100, 0);
    run = Decode(stream);
    EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
    EXPECT_EQ(run.read_sizes.size(), 1u);
    EXPECT_LT(run.consumed, stream.size());
}

TEST(ImplodeDecode, DistanceWithoutItsLastBitsIsTruncated)
{
    // A copy whose low distance bits would be the stream's last 8 bits.
    ImplodeBitWriter w(kBinary4k);
    w.Literal('a');
    w.Literal('b');
    w.Copy(3, 2);
    w.Bits(0, (8 - (uint32_t)(w.BitCount() % 8)) % 8);
    Bytes stream = w.Finish();
    stream.resize(stream.size() - 2); // drop the end unit
    DecodeRun run = Decode(stream);
    EXPECT_EQ(run.result, (uint32_t)IMPLODE_TRUNCATED);
    EXPECT_EQ(run.out, Text("ab"));
}

// ---------------------------------------------------------------- output blocks

TEST(ImplodeDecode, OutputOf8192BytesIsTwoBlocksAndAnEmptyWrite)
{
    Bytes data = Pattern(8192, 7);
    ImplodeBitWriter w(kBinary4k);
    for (unsigned char c : data)
        w.Literal(c);
    DecodeRun run = Decode(w.Finish());
    EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
    EXPECT_EQ(run.write_sizes, (std::vector<uint32_t>{4096, 4096, 0}));
    EXPECT_EQ(run.out, data);
}

TEST(ImplodeDecode, LongestCopyAtTheEndOfABlock)
{
    // The 518-byte copy starts at the last byte of the first block, and of
    // the second, and at a distance that reaches the window's far end.
    for (size_t before : {size_t(4095), size_t(8191)}) {
        for (uint32_t distance : {1u, 7u, 8u, 300u, 4095u}) {
            if (distance > before)
                continue;
            Bytes expected = Pattern(before, 11);
            ImplodeBitWriter w(kBinary4k);
            for (unsigned char c : expected)
                w.Literal(c);
            w.Copy(518, distance);
            for (int i = 0; i < 518; i++)
                expected.push_back(expected[expected.size() - distance]);
            DecodeRun run = Decode(w.Finish());
            EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
            EXPECT_EQ(run.out, expected) << before << " then 518 at " << distance;
            uint32_t total = 0;
            for (size_t i = 0; i + 1 < run.write_sizes.size(); i++) {
                EXPECT_EQ(run.write_sizes[i], 4096u);
                total += run.write_sizes[i];
            }
            EXPECT_EQ(total + run.write_sizes.back(), expected.size());
        }
    }
}

TEST(ImplodeDecode, CopyBeforeTheFirstByteReadsZeros)
{
    ImplodeBitWriter w(kBinary4k);
    w.Literal('z');
    w.Copy(5, 4096);
    w.Copy(2, 256);
    Bytes stream = w.Finish();
    Bytes expected = Hex({'z', 0, 0, 0, 0, 0, 0, 0});
    // Twice with the same work area: nothing of the first run leaks in.
    EXPECT_EQ(Decode(stream).out, expected);
    EXPECT_EQ(Decode(stream).out, expected);
}

// ---------------------------------------------------------------- text mode

TEST(ImplodeDecode, TextLiteralsThroughEveryEscapeTable)
{
    Bytes all;
    for (int b = 0; b < 256; b++)
        all.push_back((unsigned char)b);
    for (int b = 255; b >= 0; b -= 3)
        all.push_back((unsigned char)b);
    ImplodeBitWriter w(kText4k);
    for (unsigned char c : all)
        w.Literal(c);
    Bytes stream = w.Finish();
    for (size_t chunk : {size_t(1), size_t(5), size_t(2048)}) {
        DecodeRun run = Decode(stream, chunk);
        EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
        EXPECT_EQ(run.out, all) << "chunk " << chunk;
    }
    // One literal at a time, so that each code is the stream's last unit:
    // 0x00 leaves through the table after 4, 0x80 after 6, 0xFF after 8.
    for (int b = 0; b < 256; b++) {
        ImplodeBitWriter one(kText4k);
        one.Literal((unsigned char)b);
        DecodeRun run = Decode(one.Finish());
        ASSERT_EQ(run.out, Hex({b})) << "byte " << b;
    }
}

TEST(ImplodeDecode, EveryLengthAndDistanceInEveryHeader)
{
    for (int mode = 0; mode <= 1; mode++) {
        for (int k = 4; k <= 6; k++) {
            ImplodeHeader h = {mode, k};
            Bytes expected = Pattern(4096, (uint32_t)(mode * 10 + k));
            ImplodeBitWriter w(h);
            for (unsigned char c : expected)
                w.Literal(c);
            uint32_t window = 64u << k;
            for (uint32_t length = 2; length <= 518; length++) {
                uint32_t distance = (length * 97u) % (length == 2 ? 256u : window) + 1;
                w.Copy(length, distance);
                for (uint32_t i = 0; i < length; i++)
                    expected.push_back(expected[expected.size() - distance]);
            }
            for (uint32_t distance = 1; distance <= window; distance++) {
                w.Copy(3, distance);
                for (uint32_t i = 0; i < 3; i++)
                    expected.push_back(expected[expected.size() - distance]);
            }
            DecodeRun run = Decode(w.Finish(), 1000);
            EXPECT_EQ(run.result, (uint32_t)IMPLODE_OK);
            EXPECT_EQ(run.out.size(), expected.size());
            size_t at =
                std::mismatch(run.out.begin(), run.out.end(), expected.begin(), expected.end())
                    .first -
                run.out.begin();
            EXPECT_EQ(at, expected.size()) << "header " << mode << " " << k;
        }
    }
}

// ---------------------------------------------------------------- whole units and block edges

// While the current block has 8 bytes left, units are taken whole from the
// register; near its end they go drop by drop and may read the next block.
// Reads of every size from 5 to 40 bytes put the edge at every bit of every
// kind of unit (long text codes, longest copies, the end unit), and slack
// after the stream lets the end unit be taken whole as well: the result,
// the blocks, the number of reads and the unused input must not change.
TEST(ImplodeDecode, WholeUnitsAndDropByDropAgreeAtEveryBlockEdge)
{
    Bytes text = Text("<p>Korvu ark 7.2: {Ledger} & [Accounts] \x01\x80\xFF\x7F ~~ QZXJ!</p>\r\n");
    for (int i = 0; i < 5; i++)
        text.insert(text.end(), text.begin() + i * 7, text.begin() + i * 7 + 50);
    Bytes binary = Pattern(1200, 3);
    for (size_t i = 600; i < binary.size(); i++)
        binary[i] = i % 5 ? binary[i - 1 - (i * 7) % 590] : binary[i];
    binary.insert(binary.end(), 700, 'z'); // a run: copies at distance 1
    for (int mode = 0; mode <= 1; mode++) {
        for (int k = 4; k <= 6; k++) {
            const Bytes &data = mode ? text : binary;
            const Bytes stream = ImplodeOptimal(data.data(), data.size(), ImplodeHeader{mode, k});
            for (size_t slack : {size_t(0), size_t(3), size_t(9), size_t(17)}) {
                Bytes padded = stream;
                padded.insert(padded.end(), slack, 0x5A);
                for (size_t chunk = 5; chunk <= 40; chunk++) {
                    for (size_t first : {chunk, size_t(2048)}) {
                        DecodeRun run = Decode(padded, chunk, first);
                        ReferenceDecoder::Outcome ref =
                            ReferenceDecoder::Run(padded.data(), padded.size(), first, chunk);
                        SCOPED_TRACE(testing::Message()
                                     << "header " << mode << " " << k << " slack " << slack
                                     << " reads " << first << "/" << chunk);
                        ASSERT_EQ(run.result, (uint32_t)IMPLODE_OK);
                        ASSERT_TRUE(run.out == data);
                        ASSERT_EQ(run.write_sizes, ref.writes);
                        ASSERT_EQ(run.read_sizes.size(), ref.reads);
                        ASSERT_EQ(run.consumed - run.unused, stream.size());
                    }
                }
            }
        }
    }
}

// ---------------------------------------------------------------- damaged streams

TEST(ImplodeDecode, AgreesWithTheReferenceDecoderOnDamagedStreams)
{
    // Valid streams of text and binary data in every header, then damaged:
    // bits flipped, bytes replaced, cut short, random tails.
    std::vector<Bytes> streams;
    Bytes text = Text("[Korvu]\r\nData=C:\\KORVU\\DATA\r\nConfig=C:\\KORVU\\CONFIG\r\n");
    for (int i = 0; i < 6; i++)
        text.insert(text.end(), text.begin(), text.begin() + 40);
    Bytes binary = Pattern(3000, 5);
    for (size_t i = 1000; i < 3000; i++)
        binary[i] = i % 7 ? binary[i - 700 - i % 3] : (unsigned char)(i >> 4);
    for (int mode = 0; mode <= 1; mode++)
        for (int k = 4; k <= 6; k++) {
            const Bytes &data = mode ? text : binary;
            streams.push_back(ImplodeOptimal(data.data(), data.size(), ImplodeHeader{mode, k}));
        }
    uint32_t state = 1;
    auto next = [&state](uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % n;
    };
    int clean = 0;
    for (int round = 0; round < 10000; round++) {
        Bytes s = streams[round % streams.size()];
        int damage = 1 + (int)next(4);
        for (int i = 0; i < damage; i++) {
            size_t at = 2 + next((uint32_t)s.size() - 2);
            switch (next(4)) {
            case 0: s[at] ^= (unsigned char)(1u << next(8)); break;
            case 1: s[at] = (unsigned char)next(256); break;
            case 2: s.resize(at); break;
            default:
                for (uint32_t n = next(40); n > 0; n--)
                    s.push_back((unsigned char)next(256));
            }
            if (s.size() < 3)
                s.resize(3, 0);
        }
        size_t chunk = round % 3 == 0 ? 2048 : 1 + next(9);
        DecodeRun run = Decode(s, chunk);
        ReferenceDecoder::Outcome ref =
            ReferenceDecoder::Run(s.data(), s.size(), chunk < 5 ? 5 : chunk, chunk);
        ASSERT_EQ(run.result, ref.result) << "round " << round;
        ASSERT_EQ(run.write_sizes, ref.writes) << "round " << round;
        ASSERT_TRUE(run.out == ref.out) << "round " << round;
        ASSERT_EQ(run.read_sizes.size(), ref.reads) << "round " << round;
        clean += run.result == IMPLODE_OK ? 1 : 0;
    }
    EXPECT_GT(clean, 100) << "some damaged streams still end cleanly";
}

} // namespace
