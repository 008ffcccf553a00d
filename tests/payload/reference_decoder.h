// A second decoder, written for clarity rather than speed: the bit reader
// keeps 8 bits in hand and takes one byte at a time, and every code is found
// by comparing it with each symbol's code, not through tables. Tests and the
// fuzzer run both decoders on the same damaged streams and compare results,
// output blocks and the number of reads.
#pragma once
#include <stdint.h>
#include <string.h>

#include <vector>

#include "implode.h"

class ReferenceDecoder {
public:
    struct Outcome {
        uint32_t result;
        std::vector<unsigned char> out;
        std::vector<uint32_t> writes;
        uint32_t reads;
    };

    // Reads hand out at most `first` bytes the first time, then `chunk`.
    static Outcome Run(const unsigned char *data, size_t size, size_t first, size_t chunk)
    {
        ReferenceDecoder d(data, size, first, chunk);
        d.outcome_.result = d.Decode();
        return d.outcome_;
    }

private:
    ReferenceDecoder(const unsigned char *data, size_t size, size_t first, size_t chunk)
        : data_(data), size_(size), first_(first), chunk_(chunk)
    {
        outcome_.reads = 0;
    }

    uint32_t Read()
    {
        size_t most = outcome_.reads++ == 0 ? first_ : chunk_;
        size_t n = size_ - given_;
        n = n < most ? n : most;
        n = n < 2048 ? n : 2048;
        memcpy(input_, data_ + given_, n);
        given_ += n;
        return (uint32_t)n;
    }

    void Write(uint32_t from, uint32_t n)
    {
        outcome_.writes.push_back(n);
        outcome_.out.insert(outcome_.out.end(), output_ + from, output_ + from + n);
    }

    bool DropBits(uint32_t n)
    {
        if (extra_ >= n) {
            buffer_ >>= n;
            extra_ -= n;
            return true;
        }
        buffer_ >>= extra_;
        if (position_ == count_) {
            uint32_t got = Read();
            if (got == 0)
                return false;
            count_ = got;
            position_ = 0;
        }
        buffer_ = (buffer_ | (uint32_t)input_[position_++] << 8) >> (n - extra_);
        extra_ = extra_ + 8 - n;
        return true;
    }

    static uint32_t Low(uint32_t v, uint32_t bits) { return v & ((1u << bits) - 1); }

    // The symbol whose code (of at most 8 bits) begins the next bits.
    static uint32_t Match(uint32_t next8, const unsigned char *bits, const unsigned char *codes,
                          uint32_t count)
    {
        for (uint32_t s = 0; s < count; s++)
            if (Low(next8, bits[s]) == codes[s])
                return s;
        return count; // unreachable: the codes are complete
    }

    uint32_t Literal()
    {
        uint32_t next = Low(buffer_, 8);
        for (uint32_t s = 0; s < 256; s++) {
            uint32_t b = implode_literal_code_bits[s];
            if (b <= 8 && next != 0 && Low(next, b) == implode_literal_codes[s])
                return DropBits(b) ? s : IMPLODE_UNIT_INPUT_ENDED;
        }
        // A longer code: the first 4, 6 or 8 bits, then the rest.
        uint32_t first = next == 0 ? 8 : (Low(next, 6) != 0 ? 4 : 6);
        uint32_t seen = Low(buffer_, first);
        if (!DropBits(first))
            return IMPLODE_UNIT_INPUT_ENDED;
        for (uint32_t s = 0; s < 256; s++) {
            uint32_t b = implode_literal_code_bits[s];
            uint32_t code = implode_literal_codes[s];
            if (b > 8 && Low(code, first) == seen && Low(buffer_, b - first) == code >> first)
                return DropBits(b - first) ? s : IMPLODE_UNIT_INPUT_ENDED;
        }
        return IMPLODE_UNIT_INPUT_ENDED + 1; // unreachable
    }

    uint32_t Unit()
    {
        uint32_t flag = buffer_ & 1;
        if (!DropBits(1))
            return IMPLODE_UNIT_INPUT_ENDED;
        if (!flag) {
            if (mode_ == 1)
                return Literal();
            uint32_t byte = Low(buffer_, 8);
            return DropBits(8) ? byte : IMPLODE_UNIT_INPUT_ENDED;
        }
        uint32_t s = Match(Low(buffer_, 8), implode_length_code_bits, implode_length_codes, 16);
        if (!DropBits(implode_length_code_bits[s]))
            return IMPLODE_UNIT_INPUT_ENDED;
        uint32_t x = implode_length_extra_bits[s];
        uint32_t v = Low(buffer_, x);
        if (x > 0 && !DropBits(x) && !(s == 15 && v == 255))
            return IMPLODE_UNIT_INPUT_ENDED;
        return 256 + implode_length_base[s] + v;
    }

    uint32_t Distance(uint32_t length)
    {
        uint32_t s = Match(Low(buffer_, 8), implode_distance_code_bits, implode_distance_codes, 64);
        if (!DropBits(implode_distance_code_bits[s]))
            return 0;
        uint32_t low = length == 2 ? 2 : k_;
        uint32_t d = (s << low) + Low(buffer_, low);
        return DropBits(low) ? d + 1 : 0;
    }

    uint32_t Decode()
    {
        uint32_t got = Read();
        count_ = got;
        if (got <= 4)
            return IMPLODE_SHORT_INPUT;
        mode_ = input_[0];
        k_ = input_[1];
        buffer_ = input_[2];
        extra_ = 0;
        position_ = 3;
        if (k_ < 4 || k_ > 6)
            return IMPLODE_BAD_DICTSIZE;
        if (mode_ > 1)
            return IMPLODE_BAD_MODE;
        memset(output_, 0, sizeof output_);
        uint32_t at = 4096, u;
        for (;;) {
            u = Unit();
            if (u >= IMPLODE_UNIT_END_OF_STREAM)
                break;
            if (u < 256) {
                output_[at++] = (unsigned char)u;
            } else {
                uint32_t length = u - 254, d = Distance(length);
                if (d == 0) {
                    u = IMPLODE_UNIT_INPUT_ENDED;
                    break;
                }
                for (uint32_t i = 0; i < length; i++, at++)
                    output_[at] = output_[at - d];
            }
            if (at >= 8192) {
                Write(4096, 4096);
                memmove(output_, output_ + 4096, at - 4096);
                at -= 4096;
            }
        }
        Write(4096, at - 4096);
        return u == IMPLODE_UNIT_INPUT_ENDED ? IMPLODE_TRUNCATED : IMPLODE_OK;
    }

    const unsigned char *data_;
    size_t size_, first_, chunk_, given_ = 0;
    Outcome outcome_;
    uint32_t mode_ = 0, k_ = 0, buffer_ = 0, extra_ = 0, position_ = 0, count_ = 0;
    unsigned char input_[2048];
    unsigned char output_[8709];
};
