// Implode encoder of the release tool. The format's codes are static, so the
// smallest stream for a given header is found exactly: a shortest-path pass
// over the input positions where, for each copy length, the nearest distance
// that reaches it is the cheapest.
#pragma once
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

// Called now and then while a large input is parsed.
typedef void (*ImplodeProgressFn)(size_t done, size_t total, void *param);

// The smallest stream for `header`, end-of-stream unit included.
std::vector<unsigned char> ImplodeOptimal(const unsigned char *data, size_t size,
                                          ImplodeHeader header,
                                          ImplodeProgressFn progress = nullptr,
                                          void *param = nullptr);

// Bits of the smallest stream's units (the two header bytes not counted),
// end-of-stream unit included; its byte size is 2 + ceil(bits / 8).
uint64_t ImplodeOptimalBits(const unsigned char *data, size_t size, ImplodeHeader header);

// ---- building blocks, also used by tests to write streams by hand

class ImplodeBitWriter {
public:
    explicit ImplodeBitWriter(ImplodeHeader header);
    void Literal(unsigned char byte);
    // length 2..518; distance 1..256 for length 2, else 1..64 << k.
    void Copy(uint32_t length, uint32_t distance);
    // Appends the end-of-stream unit and pads the last byte with zeros.
    std::vector<unsigned char> Finish();
    // Raw bits, least significant first (for hand-made malformed streams).
    void Bits(uint32_t value, uint32_t count);
    uint64_t BitCount() const { return bits_; }

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
const uint32_t kImplodeEndCost = 16; // flag, length code 15, extra 255
