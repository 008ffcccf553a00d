// Implode encoder of the release tool. The format's codes are static, so the
// smallest stream for a given header is found exactly: a shortest-path pass
// over the input positions where, for each copy length, the nearest distance
// that reaches it is the cheapest.
//
// The encoder streams: input goes in in pieces, and the stream comes out as
// the parse settles. Every path the parse still considers runs through the
// last 518 positions, and their back-links soon join in one position; all
// before it is final and is written out. Memory is a fixed window of
// positions (`span`), whatever the input's size. Should the back-links not
// join within half the span, the parse keeps only the paths through one
// position of the current position's own path, the first a quarter of the
// span or more back (a "cut"): the stream is
// then the optimum among the parses through that position, no longer
// necessarily the optimum overall. Cuts() counts them; none has been seen
// on real files with the default span.
#pragma once
#include <memory>
#include <stddef.h>
#include <stdint.h>
#include <vector>

enum ImplodeLiteralMode { IMPLODE_BINARY = 0, IMPLODE_TEXT = 1 };

struct ImplodeHeader {
    int literal_mode;    // IMPLODE_BINARY or IMPLODE_TEXT
    int dictionary_bits; // 4, 5 or 6: window of 1,024, 2,048 or 4,096 bytes
};

// What the setup program's payloads use: binary literals, 4,096-byte window.
const ImplodeHeader kDefaultHeader = {IMPLODE_BINARY, 6};

// Positions the parse holds at most by default: 12 bytes each.
const uint32_t kImplodeDefaultSpan = 1u << 18;
// The largest input one stream takes (positions are 32-bit).
const uint64_t kImplodeMaxInput = 0xFFFFFFF0u;

struct ImplodeEncoderState;

class ImplodeEncoder {
public:
    // span: positions held, at least 2,048 (smaller values are raised).
    explicit ImplodeEncoder(ImplodeHeader header, uint32_t span = kImplodeDefaultSpan);
    ~ImplodeEncoder();
    ImplodeEncoder(const ImplodeEncoder &) = delete;
    ImplodeEncoder &operator=(const ImplodeEncoder &) = delete;

    // Feeds the next input bytes. False, taking nothing, when the input
    // would grow past kImplodeMaxInput.
    bool Write(const unsigned char *data, size_t size);
    // Ends the input: the rest of the parse, the end unit, the padding. An
    // empty input gets one more zero byte, since the decoder refuses a
    // stream of four bytes or fewer.
    void Finish();
    // Appends the stream's bytes that are final so far to *out (the two
    // header bytes come first) and forgets them.
    void Take(std::vector<unsigned char> *out);

    uint64_t InputSize() const;
    // Bits of the units written (header bytes not counted); after Finish the
    // whole stream's, end unit included.
    uint64_t Bits() const;
    uint64_t Cuts() const;
    // The largest distance between the parse's position and the join of its
    // back-links seen so far (how much of the span was needed).
    uint32_t LongestLag() const;

private:
    std::unique_ptr<ImplodeEncoderState> s_;
};

// Called now and then while a large input is parsed.
typedef void (*ImplodeProgressFn)(size_t done, size_t total, void *param);

// The smallest stream for `header`, end-of-stream unit included.
std::vector<unsigned char> ImplodeOptimal(const unsigned char *data, size_t size,
                                          ImplodeHeader header,
                                          ImplodeProgressFn progress = nullptr,
                                          void *param = nullptr);

// Bits of the smallest stream's units (the two header bytes not counted),
// end-of-stream unit included; its byte size is 2 + ceil(bits / 8), or 5
// for an empty input.
uint64_t ImplodeOptimalBits(const unsigned char *data, size_t size, ImplodeHeader header);

// ---- building blocks, also used by tests to write streams by hand

class ImplodeBitWriter {
public:
    explicit ImplodeBitWriter(ImplodeHeader header);
    void Literal(unsigned char byte);
    // length 2..518; distance 1..256 for length 2, else 1..64 << k.
    void Copy(uint32_t length, uint32_t distance);
    // Appends the end-of-stream unit, pads the last byte with zeros and
    // returns the bytes not yet taken (all of them if Take was never called).
    std::vector<unsigned char> Finish();
    // Raw bits, least significant first (for hand-made malformed streams).
    void Bits(uint32_t value, uint32_t count);
    uint64_t BitCount() const { return bits_; }
    // Appends the whole bytes written so far to *out and forgets them.
    void Take(std::vector<unsigned char> *out);

private:
    ImplodeHeader header_;
    std::vector<unsigned char> out_;
    uint64_t acc_ = 0;
    uint32_t pending_ = 0;
    uint64_t bits_ = 0;
};

// Cost in bits of one unit under `header`.
uint32_t ImplodeLiteralCost(ImplodeHeader header, unsigned char byte);
uint32_t ImplodeCopyCost(ImplodeHeader header, uint32_t length, uint32_t distance);
// The part of a copy's cost that does not depend on its distance: flag,
// length code and extra bits.
uint32_t ImplodeLengthCost(uint32_t length);
const uint32_t kImplodeEndCost = 16; // flag, length code 15, extra 255
