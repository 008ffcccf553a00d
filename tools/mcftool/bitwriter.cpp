// Implode encoder, the output side: the bit writer and what each unit
// costs in bits, both from the format's static code tables.
#include "encoder.h"
#include "implode.h"
#include <algorithm>
#include <string.h>

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

void ImplodeBitWriter::Take(std::vector<unsigned char> *out)
{
    out->insert(out->end(), out_.begin(), out_.end());
    out_.clear();
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
    std::vector<unsigned char> rest;
    rest.swap(out_);
    return rest;
}

// ---------------------------------------------------------------- costs

uint32_t ImplodeLiteralCost(ImplodeHeader header, unsigned char byte)
{
    return 1 + (header.literal_mode == IMPLODE_TEXT ? implode_literal_code_bits[byte] : 8u);
}

uint32_t ImplodeLengthCost(uint32_t length)
{
    uint32_t s = LengthSymbol(length);
    return 1 + implode_length_code_bits[s] + implode_length_extra_bits[s];
}

uint32_t ImplodeCopyCost(ImplodeHeader header, uint32_t length, uint32_t distance)
{
    uint32_t shift = DistanceShift(header, length);
    return ImplodeLengthCost(length) + implode_distance_code_bits[(distance - 1) >> shift] + shift;
}
