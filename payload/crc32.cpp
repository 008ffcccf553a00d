// CRC-32 over 32-bit words in five interleaved lanes ("braids"). The plain
// one-byte-per-step fold is a chain of dependent table lookups, and on the
// installer's path (decode, CRC, write) it took about half of the time. Here
// the input is cut into rows of five words; lane j takes word j of every row
// and carries its register across a whole row at once, so the five lanes'
// lookups do not wait for each other. The last row folds the five registers
// back into one, and what is left over goes a byte at a time.
//
// Plain 32-bit integer code, so it runs on a 386. The 5 KB of tables are
// computed into zero-initialised memory, so they cost setup.exe's file
// nothing: before main where the C start-up code runs constructors, and by
// the first call otherwise (setup.exe has its own entry point).
#include "crc32.h"
#include "le.h"

#include <string.h>

namespace {

const uint32_t kPolynomial = 0xEDB88320u; // reflected
const uint32_t kRowBytes = 5 * 4;         // five lanes of one 32-bit word

// With -fdata-sections MinGW's GCC puts zero-initialised variables into
// .data$ sections that are stored in the file; in .bss they are not.
#if defined(_WIN32) && defined(__GNUC__)
#define CRC_NOT_IN_FILE __attribute__((section(".bss")))
#else
#define CRC_NOT_IN_FILE
#endif

CRC_NOT_IN_FILE uint32_t g_byte_step[256];   // the register after one byte
CRC_NOT_IN_FILE uint32_t g_row_step[4][256]; // byte k of a lane's register carried across a row
CRC_NOT_IN_FILE bool g_tables_ready;

void BuildTables()
{
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t c = i;
        for (int round = 0; round < 8; round++)
            c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
        g_byte_step[i] = c;
    }
    for (uint32_t k = 0; k < 4; k++) {
        for (uint32_t b = 0; b < 256; b++) {
            uint32_t c = b << (8 * k);
            for (uint32_t n = 0; n < kRowBytes; n++)
                c = g_byte_step[c & 0xFF] ^ (c >> 8);
            g_row_step[k][b] = c;
        }
    }
    g_tables_ready = true;
}

// Built before main, while the program has one thread (mcftool, tests);
// the check in UpdateCrc32 covers programs without constructors.
const bool g_built_at_start = (BuildTables(), true);

// A lane's register, with its word already XORed in, one row further on.
inline uint32_t AcrossRow(uint32_t c)
{
    return g_row_step[0][c & 0xFF] ^ g_row_step[1][(c >> 8) & 0xFF] ^
           g_row_step[2][(c >> 16) & 0xFF] ^ g_row_step[3][c >> 24];
}

// The register, with a word already XORed in, after that word's four bytes.
inline uint32_t AcrossWord(uint32_t c)
{
    for (int i = 0; i < 4; i++)
        c = g_byte_step[c & 0xFF] ^ (c >> 8);
    return c;
}

} // namespace

uint32_t UpdateCrc32(const char *buffer, const uint32_t *length, const uint32_t *crc)
{
    if (!g_tables_ready)
        BuildTables();
    (void)g_built_at_start;
    const unsigned char *p = (const unsigned char *)buffer;
    uint32_t n = *length;
    uint32_t c = *crc;

    if (n >= 2 * kRowBytes) {
        uint32_t rows = n / kRowBytes;
        n -= rows * kRowBytes;
        // Lane 0 starts from the running value, the others from 0: the CRC
        // is linear, so the lanes' registers add up to the whole one.
        uint32_t c0 = c, c1 = 0, c2 = 0, c3 = 0, c4 = 0;
        for (; rows > 1; rows--, p += kRowBytes) {
            c0 = AcrossRow(c0 ^ GetLe32(p));
            c1 = AcrossRow(c1 ^ GetLe32(p + 4));
            c2 = AcrossRow(c2 ^ GetLe32(p + 8));
            c3 = AcrossRow(c3 ^ GetLe32(p + 12));
            c4 = AcrossRow(c4 ^ GetLe32(p + 16));
        }
        // Last row: each lane's register joins the running one at its word.
        c = AcrossWord(c0 ^ GetLe32(p));
        c = AcrossWord(c ^ c1 ^ GetLe32(p + 4));
        c = AcrossWord(c ^ c2 ^ GetLe32(p + 8));
        c = AcrossWord(c ^ c3 ^ GetLe32(p + 12));
        c = AcrossWord(c ^ c4 ^ GetLe32(p + 16));
        p += kRowBytes;
    }
    for (; n > 0; n--, p++)
        c = g_byte_step[(c ^ *p) & 0xFF] ^ (c >> 8);
    return c;
}
