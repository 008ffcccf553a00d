// Decoder of the implode compression format, the format of every payload
// stream. Portable: the same source builds into setup.exe and the host tools.
//
// Format notes
//   byte 0   literal mode: 0 binary (a literal is its 8 plain bits),
//            1 text (a literal is a code of the static literal alphabet)
//   byte 1   k = 4, 5 or 6: low distance bits sent verbatim; the window is
//            64 << k bytes (1,024, 2,048 or 4,096)
//   rest     bit stream, least significant bit of each byte first, made of
//            units that each begin with a flag bit:
//              0  literal
//              1  copy: length code, its extra bits, distance code, then
//                 2 low distance bits (length 2) or k (longer copies)
//            The length code 15 with extra value 255 ends the stream.
//   All three alphabets are static, complete prefix codes.
//
// The decoder pulls input through `read` in blocks of up to 2,048 bytes and
// hands output to `write` in blocks of 4,096 bytes, then once more with the
// rest (possibly 0 bytes) when it stops, also after IMPLODE_TRUNCATED. It
// allocates nothing and keeps all of its state in the caller's work area.
//
// A copy that reaches before the first output byte reads zeros: the window
// is cleared before decoding, so a corrupt stream still decodes the same way
// every time and is caught by the caller's CRC check.
#pragma once
#include <stdint.h>

// Copies up to *size (always 2,048 on entry) next stream bytes into buffer
// and returns how many; 0 means the input has ended. *size is ignored after.
typedef uint32_t (*ImplodeReadFn)(char *buffer, uint32_t *size, void *param);
// Receives the next *size decoded bytes; the buffer is reused afterwards.
typedef void (*ImplodeWriteFn)(char *buffer, uint32_t *size, void *param);

enum {
    IMPLODE_OK = 0,           // decoded up to the end-of-stream unit
    IMPLODE_BAD_DICTSIZE = 1, // header byte 1 is not 4, 5 or 6 (checked first)
    IMPLODE_BAD_MODE = 2,     // header byte 0 is not 0 or 1
    IMPLODE_SHORT_INPUT = 3,  // the first read gave 4 bytes or fewer
    IMPLODE_TRUNCATED = 4     // the input ended before the end-of-stream unit
};

// Unit values: 0-255 literal, 256-772 copy of (value - 254) bytes.
#define IMPLODE_UNIT_END_OF_STREAM 773u
#define IMPLODE_UNIT_INPUT_ENDED 774u

#define IMPLODE_READ_SIZE 2048u
#define IMPLODE_BLOCK_SIZE 4096u
// Window, one block of new output, the rest of a 518-byte copy that starts
// at the block's last byte, and slack for copies done 8 bytes at a time.
#define IMPLODE_OUTPUT_AREA_SIZE (2u * IMPLODE_BLOCK_SIZE + 517u + 16u)

// A copy unit's length code as the decoder looks it up, with where the
// unit's later fields begin (counted from its flag bit) and how many low
// distance bits follow the distance code. Copy length = base + extra + 2.
struct ImplodeLengthEntry {
    unsigned char code_bits; // of the length code
    unsigned char extra_bits;
    unsigned char extra_at;    // 1 + code_bits
    unsigned char distance_at; // 1 + code_bits + extra_bits
    uint16_t base;
    uint16_t extra_mask;    // (1 << extra_bits) - 1
    unsigned char low_bits; // 2 for a copy of length 2, else k
    unsigned char low_mask; // (1 << low_bits) - 1
};

// A distance code as the decoder looks it up.
struct ImplodeDistanceEntry {
    unsigned char symbol;
    unsigned char code_bits;
};

struct ImplodeWorkArea {
    uint32_t literal_mode;
    uint32_t dictionary_bits;
    uint64_t bit_buffer; // unread bits, the next one in bit 0
    uint32_t bit_count;  // valid bits in bit_buffer (at least 8 while decoding)
    uint32_t input_position;
    uint32_t input_count;
    void *param;
    ImplodeReadFn read;
    ImplodeWriteFn write;
    unsigned char output[IMPLODE_OUTPUT_AREA_SIZE];
    unsigned char input[IMPLODE_READ_SIZE];
    // Each indexed by the next 8 bits of the stream.
    ImplodeLengthEntry length_table[256];
    ImplodeDistanceEntry distance_table[256];
    uint16_t text_table[256];             // literal | code bits << 8, or 0: longer code
    unsigned char text_table_after4[256]; // longer codes, by the bits after their first 4,
    unsigned char text_table_after6[128]; // 6 or 8
    unsigned char text_table_after8[256];
    unsigned char literal_code_bits[256]; // of a longer code: the bits after its first 4, 6 or 8
};

// What the extraction allocates for one stream: a fixed figure, not
// sizeof, so that the area may shrink without the allocation changing.
#define IMPLODE_WORK_AREA_SIZE 36312
static_assert(sizeof(ImplodeWorkArea) <= IMPLODE_WORK_AREA_SIZE,
              "the work area must fit in what the extraction allocates");

// Decodes one whole stream; returns one of the IMPLODE_ results. The work
// area need not be initialised and may be reused for the next stream.
uint32_t ExpandImplodeStream(ImplodeReadFn read, ImplodeWriteFn write, ImplodeWorkArea *work,
                             void *param);

// After IMPLODE_OK: how many of the bytes handed in through `read` lie
// wholly after the byte that holds the end unit's last bit (the unused
// bits of that byte are padding). A stream with none has no slack.
uint32_t ImplodeUnusedInput(const ImplodeWorkArea *work);

// For messages: the name of a result, "IMPLODE_OK" and so on.
const char *ImplodeResultName(uint32_t result);

// 1 when a stream of stream_length bytes that decoded to `expanded` bytes
// with `trailing` bytes behind the byte holding its end unit (what
// ImplodeUnusedInput says plus what was never read) is sound: a sound
// stream ends in its last byte, but for an empty input's, which carries
// one byte more so that the decoder's first read gets more than 4 bytes.
int ImplodeEndsInLastByte(uint64_t stream_length, uint64_t expanded, uint64_t trailing);

// The format's static code tables, shared with the encoder. Code values
// have the first bit sent in bit 0.
extern const unsigned char implode_length_code_bits[16];
extern const unsigned char implode_length_codes[16];
extern const unsigned char implode_length_extra_bits[16];
extern const uint16_t implode_length_base[16];
extern const unsigned char implode_distance_code_bits[64];
extern const unsigned char implode_distance_codes[64];
extern const unsigned char implode_literal_code_bits[256];
extern const uint16_t implode_literal_codes[256];
