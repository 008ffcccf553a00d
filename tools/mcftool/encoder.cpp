// Implode encoder: bit writer, unit costs and the optimal parse.
#include "encoder.h"

#include <string.h>

#include <algorithm>

#include "implode.h"

namespace {

// Length symbol of a copy length (2..518).
uint32_t LengthSymbol(uint32_t length)
{
    uint32_t v = length - 2;
    uint32_t s = 15;
    while (implode_length_base[s] > v)
        s--;
    return s;
}

uint32_t DistanceShift(ImplodeHeader header, uint32_t length)
{
    return length == 2 ? 2u : (uint32_t)header.dictionary_bits;
}

} // namespace

// ---------------------------------------------------------------- bit writer

ImplodeBitWriter::ImplodeBitWriter(ImplodeHeader header) : header_(header)
{
    out_.push_back((unsigned char)header.literal_mode);
    out_.push_back((unsigned char)header.dictionary_bits);
}

void ImplodeBitWriter::Bits(uint32_t value, uint32_t count)
{
    acc_ |= (uint64_t)(value & ((1u << count) - 1)) << pending_;
    pending_ += count;
    bits_ += count;
    while (pending_ >= 8) {
        out_.push_back((unsigned char)acc_);
        acc_ >>= 8;
        pending_ -= 8;
    }
}

void ImplodeBitWriter::Literal(unsigned char byte)
{
    Bits(0, 1);
    if (header_.literal_mode == IMPLODE_TEXT)
        Bits(implode_literal_codes[byte], implode_literal_code_bits[byte]);
    else
        Bits(byte, 8);
}

void ImplodeBitWriter::Copy(uint32_t length, uint32_t distance)
{
    uint32_t s = LengthSymbol(length);
    Bits(1, 1);
    Bits(implode_length_codes[s], implode_length_code_bits[s]);
    Bits(length - 2 - implode_length_base[s], implode_length_extra_bits[s]);
    uint32_t shift = DistanceShift(header_, length);
    uint32_t d = distance - 1;
    uint32_t ds = d >> shift;
    Bits(implode_distance_codes[ds], implode_distance_code_bits[ds]);
    Bits(d & ((1u << shift) - 1), shift);
}

std::vector<unsigned char> ImplodeBitWriter::Finish()
{
    Bits(1, 1);
    Bits(implode_length_codes[15], implode_length_code_bits[15]);
    Bits(255, 8);
    if (pending_ > 0)
        out_.push_back((unsigned char)acc_);
    acc_ = 0;
    pending_ = 0;
    return out_;
}

// ---------------------------------------------------------------- costs

uint32_t ImplodeLiteralCost(ImplodeHeader header, unsigned char byte)
{
    return 1 + (header.literal_mode == IMPLODE_TEXT ? implode_literal_code_bits[byte] : 8u);
}

uint32_t ImplodeCopyCost(ImplodeHeader header, uint32_t length, uint32_t distance)
{
    uint32_t s = LengthSymbol(length);
    uint32_t shift = DistanceShift(header, length);
    return 1 + implode_length_code_bits[s] + implode_length_extra_bits[s] +
           implode_distance_code_bits[(distance - 1) >> shift] + shift;
}

// ---------------------------------------------------------------- match finder
//
// A binary tree of the suffixes that start in the window, one tree per first
// two bytes, kept in lexicographic order with each node newer than every node
// below it (a new suffix becomes the root of its tree). The search for the
// current position walks from the newest suffix towards older ones, so for
// every length L the first node met that matches L bytes is the nearest one
// that does. Nodes that leave the window drop off with everything below them.

namespace {

const uint32_t kNone = 0xFFFFFFFFu;
const uint32_t kMaxLength = 518;
const uint32_t kCycle = 8192; // more than the largest window

struct Match {
    uint32_t length;
    uint32_t distance;
};

// Length of the common prefix of a and b, from `len` up to `limit`; eight
// bytes per step where the bytes' order in a word allows it.
inline uint32_t CommonLength(const unsigned char *a, const unsigned char *b, uint32_t len,
                             uint32_t limit)
{
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    while (len + 8 <= limit) {
        uint64_t x, y;
        memcpy(&x, a + len, 8);
        memcpy(&y, b + len, 8);
        if (x != y)
            return len + ((uint32_t)__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
#endif
    while (len < limit && a[len] == b[len])
        len++;
    return len;
}

class MatchFinder {
public:
    MatchFinder(const unsigned char *data, size_t size, uint32_t window)
        : data_(data), size_(size), window_(window), head_(65536, kNone), son_(2 * kCycle, kNone)
    {
    }

    // Inserts position i and returns its matches: lengths strictly rising,
    // each with the nearest distance that reaches it.
    size_t Find(uint32_t i, Match *out)
    {
        if (size_ - i < 2)
            return 0;
        const unsigned char *cur = data_ + i;
        uint32_t limit = size_ - i < kMaxLength ? (uint32_t)(size_ - i) : kMaxLength;
        uint32_t h = cur[0] | (uint32_t)cur[1] << 8;
        uint32_t match = head_[h];
        head_[h] = i;
        uint32_t *smaller = &son_[2 * (i & (kCycle - 1))];
        uint32_t *larger = smaller + 1;
        uint32_t len_smaller = 2, len_larger = 2;
        uint32_t best = 1;
        size_t count = 0;
        for (;;) {
            if (match == kNone || i - match > window_) {
                *smaller = *larger = kNone;
                break;
            }
            const unsigned char *m = data_ + match;
            uint32_t len = CommonLength(m, cur, len_smaller < len_larger ? len_smaller : len_larger,
                                        limit);
            if (len > best) {
                best = len;
                out[count++] = Match{len, i - match};
            }
            uint32_t *pair = &son_[2 * (match & (kCycle - 1))];
            if (len == kMaxLength) {
                // Equal as far as any copy can reach: the new suffix takes
                // the old one's place, being nearer for every later match.
                *smaller = pair[0];
                *larger = pair[1];
                break;
            }
            // A suffix that ends (the input's end) sorts before its extensions.
            if (len < limit && m[len] < cur[len]) {
                *smaller = match;
                smaller = &pair[1];
                match = *smaller;
                len_smaller = len;
            } else {
                *larger = match;
                larger = &pair[0];
                match = *larger;
                len_larger = len;
            }
        }
        return count;
    }

private:
    const unsigned char *data_;
    size_t size_;
    uint32_t window_;
    std::vector<uint32_t> head_;
    std::vector<uint32_t> son_;
};

// ---------------------------------------------------------------- parse
//
// Shortest path over positions 0..n: an edge for each literal, and for each
// copy length the copy from the nearest distance that reaches it, since the
// distance's code never gets shorter as the distance grows. Every edge leads
// forward, so one pass in order of position settles each cost before use.

struct Step {
    uint16_t length;   // 1 for a literal
    uint16_t distance; // distance - 1 of a copy
};

struct Parse {
    uint64_t bits;
    std::vector<Step> steps; // in stream order
};

Parse ParseOptimal(const unsigned char *data, size_t size, ImplodeHeader header,
                   ImplodeProgressFn progress, void *param)
{
    const uint32_t k = (uint32_t)header.dictionary_bits;
    const uint64_t kInfinite = ~(uint64_t)0;
    uint32_t length_cost[kMaxLength + 1];
    for (uint32_t l = 2; l <= kMaxLength; l++) {
        uint32_t s = LengthSymbol(l);
        length_cost[l] = 1 + implode_length_code_bits[s] + implode_length_extra_bits[s];
    }
    uint32_t literal_cost[256];
    for (int b = 0; b < 256; b++)
        literal_cost[b] = ImplodeLiteralCost(header, (unsigned char)b);

    std::vector<uint64_t> cost(size + 1, kInfinite);
    std::vector<Step> from(size + 1);
    cost[0] = 0;
    MatchFinder finder(data, size, 64u << k);
    Match matches[kMaxLength];
    const size_t kProgressStep = 1u << 20;

    for (size_t i = 0; i < size; i++) {
        if (progress && i % kProgressStep == 0)
            progress(i, size, param);
        const uint64_t here = cost[i];
        uint64_t c = here + literal_cost[data[i]];
        if (c < cost[i + 1]) {
            cost[i + 1] = c;
            from[i + 1] = Step{1, 0};
        }
        size_t count = finder.Find((uint32_t)i, matches);
        uint32_t length = 2;
        for (size_t m = 0; m < count; m++) {
            uint32_t d = matches[m].distance - 1;
            if (length == 2) {
                // A copy of two bytes reaches back at most 256.
                if (d < 256) {
                    c = here + length_cost[2] + implode_distance_code_bits[d >> 2] + 2;
                    if (c < cost[i + 2]) {
                        cost[i + 2] = c;
                        from[i + 2] = Step{2, (uint16_t)d};
                    }
                }
                length = 3;
            }
            const uint64_t base = here + implode_distance_code_bits[d >> k] + k;
            uint64_t *target = &cost[i];
            Step *step = &from[i];
            for (; length <= matches[m].length; length++) {
                c = base + length_cost[length];
                if (c < target[length]) {
                    target[length] = c;
                    step[length] = Step{(uint16_t)length, (uint16_t)d};
                }
            }
        }
    }
    if (progress)
        progress(size, size, param);

    Parse parse;
    parse.bits = cost[size] + kImplodeEndCost;
    for (size_t at = size; at > 0; at -= from[at].length)
        parse.steps.push_back(from[at]);
    std::reverse(parse.steps.begin(), parse.steps.end());
    return parse;
}

} // namespace

uint64_t ImplodeOptimalBits(const unsigned char *data, size_t size, ImplodeHeader header)
{
    return ParseOptimal(data, size, header, nullptr, nullptr).bits;
}

std::vector<unsigned char> ImplodeOptimal(const unsigned char *data, size_t size,
                                          ImplodeHeader header, ImplodeProgressFn progress,
                                          void *param)
{
    Parse parse = ParseOptimal(data, size, header, progress, param);
    ImplodeBitWriter w(header);
    size_t at = 0;
    for (const Step &s : parse.steps) {
        if (s.length == 1)
            w.Literal(data[at]);
        else
            w.Copy(s.length, s.distance + 1u);
        at += s.length;
    }
    return w.Finish();
}
