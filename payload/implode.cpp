// Implode decoder: one 8-bit table lookup per code, a bit buffer refilled
// from the current input block, and copies into a window that moves down
// once per 4,096-byte output block.
#include "implode.h"

#include <string.h>

// ---------------------------------------------------------------- code tables

const unsigned char implode_length_code_bits[16] = {
    3, 2, 3, 3, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7};
const unsigned char implode_length_codes[16] = {
    0x05, 0x03, 0x01, 0x06, 0x0A, 0x02, 0x0C, 0x14,
    0x04, 0x18, 0x08, 0x30, 0x10, 0x20, 0x40, 0x00};
const unsigned char implode_length_extra_bits[16] = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
const uint16_t implode_length_base[16] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 14, 22, 38, 70, 134, 262};

const unsigned char implode_distance_code_bits[64] = {
    2, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
const unsigned char implode_distance_codes[64] = {
    0x03, 0x0D, 0x05, 0x19, 0x09, 0x11, 0x01, 0x3E, 0x1E, 0x2E, 0x0E, 0x36, 0x16, 0x26, 0x06, 0x3A,
    0x1A, 0x2A, 0x0A, 0x32, 0x12, 0x22, 0x42, 0x02, 0x7C, 0x3C, 0x5C, 0x1C, 0x6C, 0x2C, 0x4C, 0x0C,
    0x74, 0x34, 0x54, 0x14, 0x64, 0x24, 0x44, 0x04, 0x78, 0x38, 0x58, 0x18, 0x68, 0x28, 0x48, 0x08,
    0xF0, 0x70, 0xB0, 0x30, 0xD0, 0x50, 0x90, 0x10, 0xE0, 0x60, 0xA0, 0x20, 0xC0, 0x40, 0x80, 0x00};

// Code lengths of the text-mode literals, by byte value.
#define IMPLODE_LITERAL_BITS \
    11, 12, 12, 12, 12, 12, 12, 12, 12,  8,  7, 12, 12,  7, 12, 12, \
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 13, 12, 12, 12, 12, 12, \
     4, 10,  8, 12, 10, 12, 10,  8,  7,  7,  8,  9,  7,  6,  7,  8, \
     7,  6,  7,  7,  7,  7,  8,  7,  7,  8,  8, 12, 11,  7,  9, 11, \
    12,  6,  7,  6,  6,  5,  7,  8,  8,  6, 11,  9,  6,  7,  6,  6, \
     7, 11,  6,  6,  6,  7,  9,  8,  9,  9, 11,  8, 11,  9, 12,  8, \
    12,  5,  6,  6,  6,  5,  6,  6,  6,  5, 11,  7,  5,  6,  5,  5, \
     6, 10,  5,  5,  5,  5,  8,  7,  8,  8, 10, 11, 11, 12, 12, 12, \
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, \
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, \
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, \
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, \
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, \
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, \
    13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13, \
    13, 13, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13

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
#define L16(i) L(i), L(i + 1), L(i + 2), L(i + 3), L(i + 4), L(i + 5), L(i + 6), L(i + 7), \
    L(i + 8), L(i + 9), L(i + 10), L(i + 11), L(i + 12), L(i + 13), L(i + 14), L(i + 15)
const uint16_t implode_literal_codes[256] = {
    L16(0x00), L16(0x10), L16(0x20), L16(0x30), L16(0x40), L16(0x50), L16(0x60), L16(0x70),
    L16(0x80), L16(0x90), L16(0xA0), L16(0xB0), L16(0xC0), L16(0xD0), L16(0xE0), L16(0xF0)};
#undef L16
#undef L

// ---------------------------------------------------------------- table build

namespace {

// Stores symbol at every index below `size` whose low `bits` bits are `code`,
// so that a lookup of the next bits finds it whatever follows the code.
void FillTable(unsigned char *table, uint32_t size, uint32_t code, uint32_t bits,
               unsigned char symbol)
{
    for (uint32_t j = code; j < size; j += 1u << bits)
        table[j] = symbol;
}

// Later symbols first, so that an earlier symbol wins where two would share
// an index (they never do in a complete prefix code, but the order is fixed).
void BuildDecodeTable(unsigned char *table, uint32_t count, const unsigned char *bits,
                      const unsigned char *codes)
{
    for (uint32_t i = count; i-- > 0;)
        FillTable(table, 256, codes[i], bits[i], (unsigned char)i);
}

// Text literals have codes of up to 13 bits. Codes of up to 8 bits are found
// directly; longer ones through an escape in the first table and a second
// lookup after 4, 6 or 8 bits, chosen by the code's low bits.
void BuildTextTables(ImplodeWorkArea *work)
{
    for (uint32_t s = 256; s-- > 0;) {
        uint32_t bits = work->literal_code_bits[s];
        uint32_t code = implode_literal_codes[s];
        if (bits <= 8) {
            FillTable(work->text_table, 256, code, bits, (unsigned char)s);
        } else if ((code & 0xFF) != 0) {
            work->text_table[code & 0xFF] = 255;
            if ((code & 0x3F) != 0) {
                bits -= 4;
                FillTable(work->text_table_after4, 256, code >> 4, bits, (unsigned char)s);
            } else {
                bits -= 6;
                FillTable(work->text_table_after6, 128, code >> 6, bits, (unsigned char)s);
            }
            work->literal_code_bits[s] = (unsigned char)bits;
        } else {
            bits -= 8;
            FillTable(work->text_table_after8, 256, code >> 8, bits, (unsigned char)s);
            work->literal_code_bits[s] = (unsigned char)bits;
        }
    }
}

// ---------------------------------------------------------------- bit reader
//
// The register holds `count` valid bits, never fewer than 8, so every
// decision can look at the next 8 bits. A drop of n bits needs n + 8 valid
// bits; when the current block is used up the decoder asks for the next one
// at exactly that moment, so it never reads a block it does not need and
// fails only when the input has really ended.

struct BitReader {
    uint64_t buffer;
    uint32_t count;
    uint32_t position;
    uint32_t end;
    const unsigned char *input;
};

inline uint64_t Load64(const unsigned char *p)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
#else
    uint64_t v = 0;
    for (int i = 7; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
#endif
}

// Tops the register up from the current block, as far as it goes.
inline void Refill(BitReader &r)
{
    if (r.position + 8 <= r.end) {
        r.buffer |= Load64(r.input + r.position) << r.count;
        r.position += (63 - r.count) >> 3;
        r.count |= 56;
        return;
    }
    while (r.count <= 56 && r.position < r.end) {
        r.buffer |= (uint64_t)r.input[r.position++] << r.count;
        r.count += 8;
    }
}

// Slow path of a drop: the block is used up and more bits are needed.
bool DropAcrossBlocks(BitReader &r, ImplodeWorkArea *work, uint32_t n)
{
    while (r.count < n + 8) {
        if (r.position == r.end) {
            uint32_t size = IMPLODE_READ_SIZE;
            uint32_t got = work->read((char *)work->input, &size, work->param);
            if (got == 0)
                return false;
            if (got > IMPLODE_READ_SIZE)
                got = IMPLODE_READ_SIZE; // a callback that overstates cannot overrun
            r.position = 0;
            r.end = got;
        }
        Refill(r);
    }
    r.buffer >>= n;
    r.count -= n;
    return true;
}

// Checked drops may reach the end of the block; unchecked ones are used
// only when the register already holds every bit a unit can take.
template <bool Checked>
inline bool Drop(BitReader &r, ImplodeWorkArea *work, uint32_t n)
{
    if (!Checked || r.count >= n + 8) {
        r.buffer >>= n;
        r.count -= n;
        return true;
    }
    return DropAcrossBlocks(r, work, n);
}

// The longest unit: flag 1, length code 7, extra 8, distance code 8, low 6.
const uint32_t kMaxUnitBits = 30;

// ---------------------------------------------------------------- units

template <bool Checked>
inline uint32_t DecodeUnit(BitReader &r, ImplodeWorkArea *work)
{
    uint32_t flag = (uint32_t)r.buffer & 1;
    if (!Drop<Checked>(r, work, 1))
        return IMPLODE_UNIT_INPUT_ENDED;

    if (flag) {
        uint32_t s = work->length_table[r.buffer & 0xFF];
        if (!Drop<Checked>(r, work, work->length_code_bits[s]))
            return IMPLODE_UNIT_INPUT_ENDED;
        uint32_t extra = work->length_extra_bits[s];
        if (extra == 0)
            return 256 + s;
        uint32_t v = (uint32_t)r.buffer & ((1u << extra) - 1);
        // The end-of-stream unit stands even when its last bits are the
        // stream's last 8, which is how streams normally end.
        if (!Drop<Checked>(r, work, extra)) {
            if (s + v != 270)
                return IMPLODE_UNIT_INPUT_ENDED;
            // Consumed all the same, so that the bytes left after the end
            // unit are counted right (ImplodeUnusedInput).
            r.buffer >>= extra;
            r.count -= extra;
        }
        return 256 + work->length_base[s] + v;
    }

    if (work->literal_mode == 0) {
        uint32_t byte = (uint32_t)r.buffer & 0xFF;
        if (!Drop<Checked>(r, work, 8))
            return IMPLODE_UNIT_INPUT_ENDED;
        return byte;
    }

    uint32_t s;
    uint32_t next = (uint32_t)r.buffer & 0xFF;
    if (next != 0) {
        s = work->text_table[next];
        if (s == 255) {
            if ((r.buffer & 0x3F) != 0) {
                if (!Drop<Checked>(r, work, 4))
                    return IMPLODE_UNIT_INPUT_ENDED;
                s = work->text_table_after4[r.buffer & 0xFF];
            } else {
                if (!Drop<Checked>(r, work, 6))
                    return IMPLODE_UNIT_INPUT_ENDED;
                s = work->text_table_after6[r.buffer & 0x7F];
            }
        }
    } else {
        if (!Drop<Checked>(r, work, 8))
            return IMPLODE_UNIT_INPUT_ENDED;
        s = work->text_table_after8[r.buffer & 0xFF];
    }
    if (!Drop<Checked>(r, work, work->literal_code_bits[s]))
        return IMPLODE_UNIT_INPUT_ENDED;
    return s;
}

// Returns the distance, or 0 when the input ended inside it.
template <bool Checked>
inline uint32_t DecodeDistance(BitReader &r, ImplodeWorkArea *work, uint32_t length)
{
    uint32_t s = work->distance_table[r.buffer & 0xFF];
    if (!Drop<Checked>(r, work, work->distance_code_bits[s]))
        return 0;
    uint32_t d;
    if (length == 2) {
        d = (s << 2) | ((uint32_t)r.buffer & 3);
        if (!Drop<Checked>(r, work, 2))
            return 0;
    } else {
        d = (s << work->dictionary_bits) | ((uint32_t)r.buffer & work->dictionary_mask);
        if (!Drop<Checked>(r, work, work->dictionary_bits))
            return 0;
    }
    return d + 1;
}

// Repeats `length` bytes from `distance` back, byte by byte in meaning: a
// distance shorter than the length repeats a pattern.
inline void CopyMatch(unsigned char *out, uint32_t distance, uint32_t length)
{
    const unsigned char *from = out - distance;
    if (distance >= 8) {
        // Each 8-byte step reads only bytes already final; the output area
        // has slack for the overshoot.
        for (uint32_t i = 0; i < length; i += 8) {
            uint64_t v;
            memcpy(&v, from + i, 8);
            memcpy(out + i, &v, 8);
        }
    } else if (distance == 1) {
        memset(out, from[0], length);
    } else {
        for (uint32_t i = 0; i < length; i++)
            out[i] = from[i];
    }
}

// ---------------------------------------------------------------- main loop

uint32_t RunMainLoop(ImplodeWorkArea *work, BitReader &r)
{
    unsigned char *output = work->output;
    uint32_t position = IMPLODE_BLOCK_SIZE;
    uint32_t unit;
    for (;;) {
        if (r.count < 8 + kMaxUnitBits)
            Refill(r);
        uint32_t distance = 0;
        if (r.count >= 8 + kMaxUnitBits) {
            unit = DecodeUnit<false>(r, work);
            if (unit >= 256 && unit < IMPLODE_UNIT_END_OF_STREAM)
                distance = DecodeDistance<false>(r, work, unit - 254);
        } else {
            unit = DecodeUnit<true>(r, work);
            if (unit >= 256 && unit < IMPLODE_UNIT_END_OF_STREAM)
                distance = DecodeDistance<true>(r, work, unit - 254);
        }
        if (unit < 256) {
            output[position++] = (unsigned char)unit;
        } else if (unit < IMPLODE_UNIT_END_OF_STREAM) {
            if (distance == 0) {
                unit = IMPLODE_UNIT_INPUT_ENDED;
                break;
            }
            uint32_t length = unit - 254;
            CopyMatch(output + position, distance, length);
            position += length;
        } else {
            break;
        }
        if (position >= 2 * IMPLODE_BLOCK_SIZE) {
            uint32_t size = IMPLODE_BLOCK_SIZE;
            work->write((char *)output + IMPLODE_BLOCK_SIZE, &size, work->param);
            // The block just written stays behind as the window.
            memmove(output, output + IMPLODE_BLOCK_SIZE, position - IMPLODE_BLOCK_SIZE);
            position -= IMPLODE_BLOCK_SIZE;
        }
    }
    uint32_t size = position - IMPLODE_BLOCK_SIZE;
    work->write((char *)output + IMPLODE_BLOCK_SIZE, &size, work->param);
    work->output_position = position;
    return unit;
}

} // namespace

// ---------------------------------------------------------------- entry point

uint32_t ExpandImplodeStream(ImplodeReadFn read, ImplodeWriteFn write,
                             ImplodeWorkArea *work, void *param)
{
    work->read = read;
    work->write = write;
    work->param = param;

    uint32_t size = IMPLODE_READ_SIZE;
    uint32_t got = read((char *)work->input, &size, param);
    if (got <= 4)
        return IMPLODE_SHORT_INPUT;
    if (got > IMPLODE_READ_SIZE)
        got = IMPLODE_READ_SIZE;

    work->literal_mode = work->input[0];
    work->dictionary_bits = work->input[1];
    if (work->dictionary_bits < 4 || work->dictionary_bits > 6)
        return IMPLODE_BAD_DICTSIZE;
    work->dictionary_mask = 0xFFFFu >> (16 - work->dictionary_bits);
    if (work->literal_mode == 1) {
        memcpy(work->literal_code_bits, implode_literal_code_bits, 256);
        BuildTextTables(work);
    } else if (work->literal_mode != 0) {
        return IMPLODE_BAD_MODE;
    }

    memcpy(work->length_code_bits, implode_length_code_bits, 16);
    BuildDecodeTable(work->length_table, 16, work->length_code_bits, implode_length_codes);
    memcpy(work->length_extra_bits, implode_length_extra_bits, 16);
    memcpy(work->length_base, implode_length_base, sizeof work->length_base);
    memcpy(work->distance_code_bits, implode_distance_code_bits, 64);
    BuildDecodeTable(work->distance_table, 64, work->distance_code_bits, implode_distance_codes);

    // A corrupt stream may copy from before its first byte; it reads zeros.
    memset(work->output, 0, sizeof work->output);

    BitReader r;
    r.input = work->input;
    r.buffer = work->input[2];
    r.count = 8;
    r.position = 3;
    r.end = got;
    uint32_t unit = RunMainLoop(work, r);

    work->bit_buffer = r.buffer;
    work->bit_count = r.count;
    work->input_position = r.position;
    work->input_count = r.end;
    return unit == IMPLODE_UNIT_INPUT_ENDED ? IMPLODE_TRUNCATED : IMPLODE_OK;
}

uint32_t ImplodeUnusedInput(const ImplodeWorkArea *work)
{
    return (work->input_count - work->input_position) + work->bit_count / 8;
}
