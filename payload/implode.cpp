// Implode decoder. A 64-bit bit register is topped up a word at a time from
// the current input block; while the block has 8 bytes left, every unit is
// taken whole from the register and dropped at once: a binary literal is
// the 8 bits after the flag, a text literal or a length code one lookup of
// those 8 bits (giving the code's length too), a distance code one more.
// Near the end of a block, units go drop by drop, the next block being read
// at exactly the point the format's bit reader reads it, so that damaged
// and cut-off streams end the same way. A loop per literal mode; copies go
// into a window that moves down once per 4,096-byte block.
#include "implode.h"
#include "implode_tables.h"
#include "le.h"

#include <string.h>

// ---------------------------------------------------------------- text lookups

namespace {

// How many bits a longer text code has in hand before its second lookup.
inline uint32_t LongTextFirstBits(uint32_t next8)
{
    return next8 == 0 ? 8 : (next8 & 0x3F) == 0 ? 6 : 4;
}

// The literal of a longer text code from the bits that follow its first ones.
inline uint32_t LongTextLiteral(const ImplodeWorkArea *work, uint32_t first, uint32_t after)
{
    if (first == 4)
        return work->text_table_after4[after & 0xFF];
    if (first == 6)
        return work->text_table_after6[after & 0x7F];
    return work->text_table_after8[after & 0xFF];
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

// With 8 bytes left in the block: the register topped up to 56 bits or more
// in one load, the bytes that fit taken from the block.
inline void RefillWord(BitReader &r)
{
    r.buffer |= GetLe64(r.input + r.position) << r.count;
    r.position += (63 - r.count) >> 3;
    r.count |= 56;
}

// Tops the register up from the current block, as far as it goes.
inline void Refill(BitReader &r)
{
    if (r.position + 8 <= r.end) {
        RefillWord(r);
        return;
    }
    while (r.count <= 56 && r.position < r.end) {
        r.buffer |= (uint64_t)r.input[r.position++] << r.count;
        r.count += 8;
    }
}

inline void Consume(BitReader &r, uint32_t n)
{
    r.buffer >>= n;
    r.count -= n;
}

// One drop of the format's bit reader: n bits, keeping 8 in hand, reading
// the next block when the current one is used up. Fails when the input has
// ended, with nothing consumed.
bool Drop(BitReader &r, ImplodeWorkArea *work, uint32_t n)
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
    Consume(r, n);
    return true;
}

inline uint32_t Low(uint64_t bits, uint32_t n)
{
    return (uint32_t)bits & ((1u << n) - 1);
}

// ---------------------------------------------------------------- units, drop by drop
//
// Near the end of a block: each field dropped as the format's bit reader
// drops it, any drop possibly reading the next block. Returns the unit
// value, and for a copy its distance (0: the input ended inside it).

uint32_t CheckedDistance(BitReader &r, ImplodeWorkArea *work, uint32_t low_bits)
{
    ImplodeDistanceEntry e = work->distance_table[r.buffer & 0xFF];
    if (!Drop(r, work, e.code_bits))
        return 0;
    uint32_t d = ((uint32_t)e.symbol << low_bits) | Low(r.buffer, low_bits);
    if (!Drop(r, work, low_bits))
        return 0;
    return d + 1;
}

#if defined(__GNUC__)
#define IMPLODE_COLD __attribute__((noinline))
#else
#define IMPLODE_COLD
#endif

// Kept out of line: the main loop stays small, its reader in registers.
template <uint32_t Mode>
IMPLODE_COLD uint32_t CheckedUnit(BitReader &r, ImplodeWorkArea *work, uint32_t *distance)
{
    uint32_t flag = (uint32_t)r.buffer & 1;
    if (!Drop(r, work, 1))
        return IMPLODE_UNIT_INPUT_ENDED;

    if (flag) {
        ImplodeLengthEntry e = work->length_table[r.buffer & 0xFF];
        if (!Drop(r, work, e.code_bits))
            return IMPLODE_UNIT_INPUT_ENDED;
        uint32_t v = Low(r.buffer, e.extra_bits);
        if (e.extra_bits != 0 && !Drop(r, work, e.extra_bits)) {
            // The end-of-stream unit stands even when its last bits are the
            // stream's last 8, which is how streams normally end.
            if (e.base + v != IMPLODE_UNIT_END_OF_STREAM - 256)
                return IMPLODE_UNIT_INPUT_ENDED;
            // Consumed all the same, so that the bytes left after the end
            // unit are counted right (ImplodeUnusedInput).
            Consume(r, e.extra_bits);
        }
        uint32_t unit = 256 + e.base + v;
        if (unit != IMPLODE_UNIT_END_OF_STREAM)
            *distance = CheckedDistance(r, work, e.low_bits);
        return unit;
    }

    uint32_t next = (uint32_t)r.buffer & 0xFF;
    if (Mode == 0)
        return Drop(r, work, 8) ? next : IMPLODE_UNIT_INPUT_ENDED;
    uint32_t e = work->text_table[next];
    if (e != 0)
        return Drop(r, work, e >> 8) ? (e & 0xFF) : IMPLODE_UNIT_INPUT_ENDED;
    uint32_t first = LongTextFirstBits(next);
    if (!Drop(r, work, first))
        return IMPLODE_UNIT_INPUT_ENDED;
    uint32_t s = LongTextLiteral(work, first, (uint32_t)r.buffer);
    return Drop(r, work, work->literal_code_bits[s]) ? s : IMPLODE_UNIT_INPUT_ENDED;
}

// ---------------------------------------------------------------- main loop

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

// The longest unit: flag 1, length code 7, extra 8, distance code 8, low 6;
// a whole register after RefillWord (56 bits) holds it and 8 bits more.
const uint32_t kMaxUnitBits = 30;
static_assert(kMaxUnitBits + 8 <= 56, "a refilled register holds a whole unit");

// Passes a full block on; the block stays behind as the window.
inline uint32_t FlushIfFull(ImplodeWorkArea *work, uint32_t position)
{
    if (position < 2 * IMPLODE_BLOCK_SIZE)
        return position;
    uint32_t size = IMPLODE_BLOCK_SIZE;
    work->write((char *)work->output + IMPLODE_BLOCK_SIZE, &size, work->param);
    memmove(work->output, work->output + IMPLODE_BLOCK_SIZE, position - IMPLODE_BLOCK_SIZE);
    return position - IMPLODE_BLOCK_SIZE;
}

template <uint32_t Mode>
uint32_t RunMainLoop(ImplodeWorkArea *work, BitReader *reader)
{
    BitReader r = *reader;
    unsigned char *output = work->output;
    uint32_t position = IMPLODE_BLOCK_SIZE;
    uint32_t unit;
    for (;;) {
        uint32_t length, distance = 0;
        if (r.position + 8 <= r.end) {
            // The whole unit is in the register: its fields are read at
            // their offsets and dropped together.
            RefillWord(r);
            uint64_t b = r.buffer;
            if ((b & 1) == 0) {
                // Literal: 8 plain bits, or a text code.
                uint32_t next = (uint32_t)(b >> 1) & 0xFF;
                uint32_t used;
                if (Mode == 0) {
                    output[position] = (unsigned char)next;
                    used = 9;
                } else {
                    uint32_t e = work->text_table[next];
                    if (e != 0) {
                        output[position] = (unsigned char)e;
                        used = 1 + (e >> 8);
                    } else {
                        uint32_t first = LongTextFirstBits(next);
                        uint32_t s = LongTextLiteral(work, first, (uint32_t)(b >> (1 + first)));
                        output[position] = (unsigned char)s;
                        used = 1 + first + work->literal_code_bits[s];
                    }
                }
                Consume(r, used);
                position = FlushIfFull(work, position + 1);
                continue;
            }
            // Copy: length code, extra bits, distance code, low bits. The
            // length entry says where each field begins.
            ImplodeLengthEntry le = work->length_table[(b >> 1) & 0xFF];
            uint32_t value = le.base + ((uint32_t)(b >> le.extra_at) & le.extra_mask);
            if (value == IMPLODE_UNIT_END_OF_STREAM - 256) {
                Consume(r, le.distance_at);
                unit = IMPLODE_UNIT_END_OF_STREAM;
                break;
            }
            length = value + 2;
            ImplodeDistanceEntry de = work->distance_table[(b >> le.distance_at) & 0xFF];
            uint32_t low_at = le.distance_at + de.code_bits;
            distance =
                ((uint32_t)de.symbol << le.low_bits) + ((uint32_t)(b >> low_at) & le.low_mask) + 1;
            Consume(r, low_at + le.low_bits);
        } else {
            // A copy of the reader goes by address, so that `r` itself
            // can stay in registers.
            BitReader checked = r;
            unit = CheckedUnit<Mode>(checked, work, &distance);
            r = checked;
            if (unit < 256) {
                output[position] = (unsigned char)unit;
                position = FlushIfFull(work, position + 1);
                continue;
            }
            if (unit >= IMPLODE_UNIT_END_OF_STREAM)
                break;
            if (distance == 0) {
                unit = IMPLODE_UNIT_INPUT_ENDED;
                break;
            }
            length = unit - 254;
        }
        CopyMatch(output + position, distance, length);
        position = FlushIfFull(work, position + length);
    }
    uint32_t size = position - IMPLODE_BLOCK_SIZE;
    work->write((char *)output + IMPLODE_BLOCK_SIZE, &size, work->param);
    *reader = r;
    return unit;
}

} // namespace

// ---------------------------------------------------------------- entry point

uint32_t ExpandImplodeStream(ImplodeReadFn read, ImplodeWriteFn write, ImplodeWorkArea *work,
                             void *param)
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
    if (work->literal_mode == 1)
        ImplodeBuildTextTables(work);
    else if (work->literal_mode != 0)
        return IMPLODE_BAD_MODE;
    ImplodeBuildLengthTable(work); // after k is known: it holds the low distance bits
    ImplodeBuildDistanceTable(work);

    // A corrupt stream may copy from before its first byte; it reads zeros.
    memset(work->output, 0, sizeof work->output);

    BitReader r;
    r.input = work->input;
    r.buffer = work->input[2];
    r.count = 8;
    r.position = 3;
    r.end = got;
    uint32_t unit = work->literal_mode == 0 ? RunMainLoop<0>(work, &r) : RunMainLoop<1>(work, &r);

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
