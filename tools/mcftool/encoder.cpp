// Implode encoder: the match finder and the optimal parse (the bit writer
// and the unit costs are in bitwriter.cpp).
#include "encoder.h"

#include <string.h>

#include <algorithm>

#include "implode.h"

// ---------------------------------------------------------------- match finder
//
// A binary tree of the suffixes that start in the window, one tree per first
// two bytes, kept in lexicographic order with each node newer than every node
// below it (a new suffix becomes the root of its tree). The search for the
// current position walks from the newest suffix towards older ones, so for
// every length L the first node met that matches L bytes is the nearest one
// that does. Nodes that leave the window drop off with everything below them.
// Positions are absolute; the bytes live in a sliding buffer that always
// holds the window behind the current position and the longest copy ahead.

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
    explicit MatchFinder(uint32_t window)
        : window_(window), head_(65536, kNone), son_(2 * kCycle, kNone)
    {}

    // Inserts position i and returns its matches: lengths strictly rising,
    // each with the nearest distance that reaches it. `bytes` holds position
    // `base` at index 0; `limit` bytes from i are there (at most 518).
    size_t Find(const unsigned char *bytes, uint32_t base, uint32_t i, uint32_t limit, Match *out)
    {
        if (limit < 2)
            return 0;
        const unsigned char *cur = bytes + (i - base);
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
            const unsigned char *m = bytes + (match - base);
            uint32_t len =
                CommonLength(m, cur, len_smaller < len_larger ? len_smaller : len_larger, limit);
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
    uint32_t window_;
    std::vector<uint32_t> head_;
    std::vector<uint32_t> son_;
};

const uint64_t kInfinite = ~(uint64_t)0;

// How each position was reached on its cheapest path.
struct Step {
    uint16_t length; // 1 for a literal
    uint16_t value;  // distance - 1 of a copy, the byte of a literal
};

const size_t kBufferSize = 1u << 17; // input bytes held: window, lookahead, new input

} // namespace

// ---------------------------------------------------------------- parse
//
// Shortest path over positions 0..n: an edge for each literal, and for each
// copy length the copy from the nearest distance that reaches it, since the
// distance's code never gets shorter as the distance grows. Every edge leads
// forward, so one pass in order of position settles each cost before use.
//
// Streaming: after position i is done, a later position's cheapest path can
// only leave the settled part through the back-link of one of the positions
// i+1..i+518 (the longest copy). Where all those back-links' chains join,
// everything before is final: written out and dropped.

struct ImplodeEncoderState {
    ImplodeHeader header;
    uint32_t k;
    uint32_t span;
    uint32_t length_cost[kMaxLength + 1];
    uint32_t literal_cost[256];

    MatchFinder finder;
    std::vector<unsigned char> bytes; // input from position `bytes_base`
    uint32_t bytes_base = 0;
    uint32_t bytes_end = 0; // positions held: bytes_base..bytes_end-1

    // cost and from of positions parse_base .. parse_base + span + 519
    std::vector<uint64_t> cost;
    std::vector<Step> from;
    std::vector<unsigned char> mark;
    uint32_t parse_base = 0;
    uint32_t pos = 0;     // the next position to parse
    uint32_t written = 0; // the stream is written up to this position
    std::vector<Step> chain;

    ImplodeBitWriter writer;
    bool finished = false;
    uint64_t cuts = 0;
    uint32_t longest_lag = 0;
    std::vector<unsigned char> tail; // the padding byte of an empty stream

    ImplodeEncoderState(ImplodeHeader h, uint32_t s)
        : header(h), k((uint32_t)h.dictionary_bits), span(s < 2048 ? 2048 : s),
          finder(64u << h.dictionary_bits), bytes(kBufferSize),
          cost(span + 2 * kMaxLength + 2, kInfinite), from(span + 2 * kMaxLength + 2),
          mark(span + 2 * kMaxLength + 2, 0), writer(h)
    {
        for (uint32_t l = 2; l <= kMaxLength; l++)
            length_cost[l] = ImplodeLengthCost(l);
        for (int b = 0; b < 256; b++)
            literal_cost[b] = ImplodeLiteralCost(header, (unsigned char)b);
        cost[0] = 0;
    }

    // Writes the units on the cheapest path from `written` to `to`.
    void WriteUpTo(uint32_t to)
    {
        chain.clear();
        for (uint32_t at = to; at != written;) {
            Step s = from[at - parse_base];
            chain.push_back(s);
            at -= s.length;
        }
        for (size_t c = chain.size(); c-- > 0;) {
            const Step &s = chain[c];
            if (s.length == 1)
                writer.Literal((unsigned char)s.value);
            else
                writer.Copy(s.length, s.value + 1u);
        }
        written = to;
    }

    // Where the chains of the back-links of pos..pos+517 join (pos - 1 is
    // the last position parsed). Walks down from the top, replacing the
    // highest marked position by its back-link, until one mark is left.
    uint32_t Join()
    {
        uint32_t count = 0;
        uint32_t top = pos + kMaxLength - 1;
        for (uint32_t j = pos; j <= top; j++) {
            if (cost[j - parse_base] == kInfinite)
                continue;
            uint32_t src = j - from[j - parse_base].length;
            if (!mark[src - parse_base]) {
                mark[src - parse_base] = 1;
                count++;
            }
        }
        uint32_t p = pos - 1;
        for (;; p--) {
            if (!mark[p - parse_base])
                continue;
            if (count == 1)
                break;
            mark[p - parse_base] = 0;
            count--;
            uint32_t src = p - from[p - parse_base].length;
            if (!mark[src - parse_base]) {
                mark[src - parse_base] = 1;
                count++;
            }
        }
        mark[p - parse_base] = 0;
        return p;
    }

    // Keeps only the paths through `c`, a position on the settled path to
    // pos: every position whose back-links do not lead to c is forgotten.
    void Cut(uint32_t c)
    {
        uint32_t top = pos + kMaxLength - 1;
        for (uint32_t p = c + 1; p <= top; p++) {
            size_t at = p - parse_base;
            if (cost[at] == kInfinite)
                continue;
            uint32_t src = p - from[at].length;
            bool through = src == c || (src > c && mark[src - parse_base]);
            mark[at] = through;
            if (!through)
                cost[at] = kInfinite;
        }
        for (uint32_t p = c + 1; p <= top; p++)
            mark[p - parse_base] = 0;
        cuts++;
    }

    // Makes room for parsing pos: writes what is final and moves the rest
    // of the arrays down.
    void Settle()
    {
        uint32_t join = Join();
        if (pos - join > longest_lag)
            longest_lag = pos - join;
        if (join - written > 0)
            WriteUpTo(join);
        if (pos - written > span / 2) {
            // No join within the span: keep the paths through the point of
            // pos's own path a quarter of the span back.
            uint32_t c = pos;
            while (pos - c < span / 4)
                c -= from[c - parse_base].length;
            Cut(c);
            WriteUpTo(c);
        }
        size_t keep = (size_t)(pos + kMaxLength) - written; // written .. pos+517
        size_t shift = written - parse_base;
        memmove(&cost[0], &cost[shift], keep * sizeof cost[0]);
        memmove(&from[0], &from[shift], keep * sizeof from[0]);
        std::fill(cost.begin() + keep, cost.end(), kInfinite);
        parse_base = written;
    }

    // Parses position i = pos with `limit` bytes available from it.
    inline void ParseOne(uint32_t limit, Match *matches)
    {
        const uint32_t i = pos;
        if ((size_t)(i - parse_base) + kMaxLength + 1 >= cost.size())
            Settle();
        const size_t at = i - parse_base;
        const uint64_t here = cost[at];
        const unsigned char byte = bytes[i - bytes_base];
        uint64_t c = here + literal_cost[byte];
        if (c < cost[at + 1]) {
            cost[at + 1] = c;
            from[at + 1] = Step{1, byte};
        }
        size_t count = finder.Find(bytes.data(), bytes_base, i, limit, matches);
        uint32_t length = 2;
        for (size_t m = 0; m < count; m++) {
            uint32_t d = matches[m].distance - 1;
            if (length == 2) {
                // A copy of two bytes reaches back at most 256.
                if (d < 256) {
                    c = here + length_cost[2] + implode_distance_code_bits[d >> 2] + 2;
                    if (c < cost[at + 2]) {
                        cost[at + 2] = c;
                        from[at + 2] = Step{2, (uint16_t)d};
                    }
                }
                length = 3;
            }
            const uint64_t base = here + implode_distance_code_bits[d >> k] + k;
            uint64_t *target = &cost[at];
            Step *step = &from[at];
            for (; length <= matches[m].length; length++) {
                c = base + length_cost[length];
                if (c < target[length]) {
                    target[length] = c;
                    step[length] = Step{(uint16_t)length, (uint16_t)d};
                }
            }
        }
        pos++;
    }

    // Parses every position that has the longest copy's bytes ahead of it,
    // or all when the input has ended.
    void Parse(bool all)
    {
        Match matches[kMaxLength];
        while (pos < bytes_end) {
            uint32_t ahead = bytes_end - pos;
            if (ahead < kMaxLength && !all)
                break;
            ParseOne(ahead < kMaxLength ? ahead : kMaxLength, matches);
        }
    }
};

ImplodeEncoder::ImplodeEncoder(ImplodeHeader header, uint32_t span)
    : s_(new ImplodeEncoderState(header, span))
{}

ImplodeEncoder::~ImplodeEncoder() = default;

bool ImplodeEncoder::Write(const unsigned char *data, size_t size)
{
    ImplodeEncoderState &s = *s_;
    if (s.finished || (uint64_t)s.bytes_end + size > kImplodeMaxInput)
        return false;
    const uint32_t keep_behind = (64u << s.k) + 1;
    while (size > 0) {
        if (s.bytes_end - s.bytes_base == s.bytes.size()) {
            // Keep the window behind pos and everything not yet parsed.
            uint32_t from = s.pos > keep_behind ? s.pos - keep_behind : 0;
            if (from < s.bytes_base)
                from = s.bytes_base;
            memmove(&s.bytes[0], &s.bytes[from - s.bytes_base], s.bytes_end - from);
            s.bytes_base = from;
        }
        size_t room = s.bytes.size() - (s.bytes_end - s.bytes_base);
        size_t n = size < room ? size : room;
        memcpy(&s.bytes[s.bytes_end - s.bytes_base], data, n);
        s.bytes_end += (uint32_t)n;
        data += n;
        size -= n;
        s.Parse(false);
    }
    return true;
}

void ImplodeEncoder::Finish()
{
    ImplodeEncoderState &s = *s_;
    if (s.finished)
        return;
    s.Parse(true);
    s.WriteUpTo(s.pos);
    std::vector<unsigned char> rest = s.writer.Finish();
    s.tail.swap(rest);
    if (s.pos == 0)
        s.tail.push_back(0);
    s.finished = true;
}

void ImplodeEncoder::Take(std::vector<unsigned char> *out)
{
    s_->writer.Take(out);
    out->insert(out->end(), s_->tail.begin(), s_->tail.end());
    s_->tail.clear();
}

uint64_t ImplodeEncoder::InputSize() const
{
    return s_->bytes_end;
}
uint64_t ImplodeEncoder::Bits() const
{
    return s_->writer.BitCount();
}
uint64_t ImplodeEncoder::Cuts() const
{
    return s_->cuts;
}
uint32_t ImplodeEncoder::LongestLag() const
{
    return s_->longest_lag;
}

uint64_t ImplodeOptimalBits(const unsigned char *data, size_t size, ImplodeHeader header)
{
    ImplodeEncoder e(header);
    e.Write(data, size);
    e.Finish();
    return e.Bits();
}

std::vector<unsigned char> ImplodeOptimal(const unsigned char *data, size_t size,
                                          ImplodeHeader header, ImplodeProgressFn progress,
                                          void *param)
{
    ImplodeEncoder e(header);
    std::vector<unsigned char> out;
    const size_t kStep = 1u << 20;
    for (size_t done = 0; done < size; done += kStep) {
        if (progress)
            progress(done, size, param);
        e.Write(data + done, size - done < kStep ? size - done : kStep);
        e.Take(&out);
    }
    if (progress)
        progress(size, size, param);
    e.Finish();
    e.Take(&out);
    return out;
}
