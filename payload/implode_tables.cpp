// The implode format's static code tables, and the decoder's lookup tables
// built from them once per stream.
#include "implode_tables.h"
#include "implode.h"

#include <string.h>

// ---------------------------------------------------------------- code tables

const unsigned char implode_length_code_bits[16] = {3, 2, 3, 3, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7};
const unsigned char implode_length_codes[16] = {0x05, 0x03, 0x01, 0x06, 0x0A, 0x02, 0x0C, 0x14,
                                                0x04, 0x18, 0x08, 0x30, 0x10, 0x20, 0x40, 0x00};
const unsigned char implode_length_extra_bits[16] = {0, 0, 0, 0, 0, 0, 0, 0,
                                                     1, 2, 3, 4, 5, 6, 7, 8};
const uint16_t implode_length_base[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 14, 22, 38, 70, 134, 262};

const unsigned char implode_distance_code_bits[64] = {
    2, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
const unsigned char implode_distance_codes[64] = {
    0x03, 0x0D, 0x05, 0x19, 0x09, 0x11, 0x01, 0x3E, 0x1E, 0x2E, 0x0E, 0x36, 0x16, 0x26, 0x06, 0x3A,
    0x1A, 0x2A, 0x0A, 0x32, 0x12, 0x22, 0x42, 0x02, 0x7C, 0x3C, 0x5C, 0x1C, 0x6C, 0x2C, 0x4C, 0x0C,
    0x74, 0x34, 0x54, 0x14, 0x64, 0x24, 0x44, 0x04, 0x78, 0x38, 0x58, 0x18, 0x68, 0x28, 0x48, 0x08,
    0xF0, 0x70, 0xB0, 0x30, 0xD0, 0x50, 0x90, 0x10, 0xE0, 0x60, 0xA0, 0x20, 0xC0, 0x40, 0x80, 0x00};

// Code lengths of the text-mode literals, by byte value.
#define IMPLODE_LITERAL_BITS                                                                       \
    11, 12, 12, 12, 12, 12, 12, 12, 12, 8, 7, 12, 12, 7, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,   \
        12, 12, 13, 12, 12, 12, 12, 12, 4, 10, 8, 12, 10, 12, 10, 8, 7, 7, 8, 9, 7, 6, 7, 8, 7, 6, \
        7, 7, 7, 7, 8, 7, 7, 8, 8, 12, 11, 7, 9, 11, 12, 6, 7, 6, 6, 5, 7, 8, 8, 6, 11, 9, 6, 7,   \
        6, 6, 7, 11, 6, 6, 6, 7, 9, 8, 9, 9, 11, 8, 11, 9, 12, 8, 12, 5, 6, 6, 6, 5, 6, 6, 6, 5,   \
        11, 7, 5, 6, 5, 5, 6, 10, 5, 5, 5, 5, 8, 7, 8, 8, 10, 11, 11, 12, 12, 12, 13, 13, 13, 13,  \
        13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,    \
        13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,    \
        12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,    \
        12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,    \
        12, 12, 12, 12, 13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13, 13, 13,    \
        12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13

const unsigned char implode_literal_code_bits[256] = {IMPLODE_LITERAL_BITS};

// Every alphabet's codes follow from its code lengths: number the symbols
// canonically (shortest first, then by symbol), invert the number's bits and
// send it most significant bit first.
namespace {

constexpr unsigned char kLiteralBits[256] = {IMPLODE_LITERAL_BITS};

struct LiteralCodes {
    uint16_t value[256];
};

constexpr LiteralCodes MakeLiteralCodes()
{
    LiteralCodes codes{};
    uint32_t number = 0;
    for (uint32_t length = 1; length <= 13; length++) {
        for (uint32_t symbol = 0; symbol < 256; symbol++) {
            if (kLiteralBits[symbol] != length)
                continue;
            uint32_t inverted = ~number & ((1u << length) - 1);
            uint32_t reversed = 0;
            for (uint32_t i = 0; i < length; i++)
                reversed |= ((inverted >> i) & 1u) << (length - 1 - i);
            codes.value[symbol] = (uint16_t)reversed;
            number++;
        }
        number <<= 1;
    }
    return codes;
}

constexpr LiteralCodes kLiteralCodes = MakeLiteralCodes();
static_assert(kLiteralCodes.value[0x20] == 0x0F && kLiteralCodes.value[0x61] == 0x07 &&
                  kLiteralCodes.value[0x65] == 0x1B && kLiteralCodes.value[0x0A] == 0x62 &&
                  kLiteralCodes.value[0x00] == 0x490 && kLiteralCodes.value[0x80] == 0x240 &&
                  kLiteralCodes.value[0xFF] == 0x0000,
              "literal codes follow the canonical rule");

} // namespace

#define L(i) kLiteralCodes.value[i]
#define L16(i)                                                                            \
    L(i), L(i + 1), L(i + 2), L(i + 3), L(i + 4), L(i + 5), L(i + 6), L(i + 7), L(i + 8), \
        L(i + 9), L(i + 10), L(i + 11), L(i + 12), L(i + 13), L(i + 14), L(i + 15)
const uint16_t implode_literal_codes[256] = {
    L16(0x00), L16(0x10), L16(0x20), L16(0x30), L16(0x40), L16(0x50), L16(0x60), L16(0x70),
    L16(0x80), L16(0x90), L16(0xA0), L16(0xB0), L16(0xC0), L16(0xD0), L16(0xE0), L16(0xF0)};
#undef L16
#undef L

// ---------------------------------------------------------------- table build

namespace {

// Stores entry at every index below `size` whose low `bits` bits are `code`,
// so that a lookup of the next bits finds it whatever follows the code.
template <typename Entry>
void FillTable(Entry *table, uint32_t size, uint32_t code, uint32_t bits, Entry entry)
{
    for (uint32_t j = code; j < size; j += 1u << bits)
        table[j] = entry;
}

} // namespace

// Each alphabet is a complete prefix code, so every index is filled once.
void ImplodeBuildLengthTable(ImplodeWorkArea *work)
{
    for (uint32_t s = 16; s-- > 0;) {
        ImplodeLengthEntry e;
        e.code_bits = implode_length_code_bits[s];
        e.extra_bits = implode_length_extra_bits[s];
        e.extra_at = (unsigned char)(1 + e.code_bits);
        e.distance_at = (unsigned char)(1 + e.code_bits + e.extra_bits);
        e.base = implode_length_base[s];
        e.extra_mask = (uint16_t)((1u << e.extra_bits) - 1);
        e.low_bits = (unsigned char)(s == 0 ? 2 : work->dictionary_bits);
        e.low_mask = (unsigned char)((1u << e.low_bits) - 1);
        FillTable(work->length_table, 256, implode_length_codes[s], implode_length_code_bits[s], e);
    }
}

void ImplodeBuildDistanceTable(ImplodeWorkArea *work)
{
    for (uint32_t s = 64; s-- > 0;) {
        ImplodeDistanceEntry e = {(unsigned char)s, implode_distance_code_bits[s]};
        FillTable(work->distance_table, 256, implode_distance_codes[s],
                  implode_distance_code_bits[s], e);
    }
}

// Text literals have codes of up to 13 bits. Codes of up to 8 bits are found
// directly; the first table holds 0 where a longer code begins, and that
// code is found by a second lookup after its first 4, 6 or 8 bits, chosen
// by its low bits: 8 when its low 8 are 0, else 6 when its low 6 are 0, else 4.
void ImplodeBuildTextTables(ImplodeWorkArea *work)
{
    memset(work->text_table, 0, sizeof work->text_table);
    for (uint32_t s = 256; s-- > 0;) {
        uint32_t bits = implode_literal_code_bits[s];
        uint32_t code = implode_literal_codes[s];
        if (bits <= 8) {
            FillTable(work->text_table, 256, code, bits, (uint16_t)(s | bits << 8));
            continue;
        }
        uint32_t first = (code & 0xFF) == 0 ? 8 : (code & 0x3F) == 0 ? 6 : 4;
        bits -= first;
        if (first == 4)
            FillTable(work->text_table_after4, 256, code >> 4, bits, (unsigned char)s);
        else if (first == 6)
            FillTable(work->text_table_after6, 128, code >> 6, bits, (unsigned char)s);
        else
            FillTable(work->text_table_after8, 256, code >> 8, bits, (unsigned char)s);
        work->literal_code_bits[s] = (unsigned char)bits;
    }
}
