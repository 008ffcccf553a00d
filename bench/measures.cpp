// The measures of the host benchmark: implode decoding and raw inflate, each
// with and without its CRC-32, and the CRCs alone, on one prepared file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <zlib.h>

#include <algorithm>

#include "blocksink.h"
#include "crc32.h"
#include "encoder.h"
#include "korvu_bench.h"

namespace {

double ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

// ---- the CRC-32 the installer used before: one table lookup per byte.

struct ByteTable {
    uint32_t t[256];
    ByteTable()
    {
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            t[i] = c;
        }
    }
};
const ByteTable g_byte_table;

uint32_t BytewiseCrc32(const unsigned char *p, size_t n, uint32_t c)
{
    for (; n > 0; n--, p++)
        c = g_byte_table.t[(c ^ *p) & 0xFF] ^ (c >> 8);
    return c;
}

// ---- implode through the product's callbacks

ImplodeWorkArea g_work;

bool DecodeImplode(const Prepared &p, unsigned char *out, bool crc)
{
    BlockSink s = {p.implode.data(), (uint32_t)p.implode.size(), 0, out, crc, 0xFFFFFFFFu};
    uint32_t result = ExpandImplodeStream(BlockSinkRead, BlockSinkWrite, &g_work, &s);
    return result == IMPLODE_OK && (size_t)(s.out - out) == p.file.data.size() &&
           (!crc || ~s.crc_value == p.crc);
}

// ---- raw inflate, the peer. At its best: the whole stream in and the whole
// output buffer at once, as uncompress does, so that it never copies into
// its window and stays in its fast loop; the gzip-style check is then one
// crc32 over the output. For reference also the way the installer feeds our
// decoder: 2,048 bytes in and 4,096 out per call.

z_stream g_inflate;
unsigned char g_inflate_block[4096];

bool InflateWhole(const Prepared &p, unsigned char *out, bool crc)
{
    inflateReset(&g_inflate);
    g_inflate.next_in = (Bytef *)p.deflate9.data();
    g_inflate.avail_in = (uInt)p.deflate9.size();
    g_inflate.next_out = out;
    g_inflate.avail_out = (uInt)p.file.data.size();
    if (inflate(&g_inflate, Z_FINISH) != Z_STREAM_END || g_inflate.total_out != p.file.data.size())
        return false;
    return !crc || crc32(crc32(0, Z_NULL, 0), out, (uInt)p.file.data.size()) == p.crc;
}

bool InflateBlocks(const Prepared &p, unsigned char *out)
{
    inflateReset(&g_inflate);
    size_t in = 0;
    unsigned char *at = out;
    int r = Z_OK;
    while (r == Z_OK) {
        if (g_inflate.avail_in == 0) {
            size_t n = std::min<size_t>(2048, p.deflate9.size() - in);
            g_inflate.next_in = (Bytef *)p.deflate9.data() + in;
            g_inflate.avail_in = (uInt)n;
            in += n;
        }
        g_inflate.next_out = g_inflate_block;
        g_inflate.avail_out = sizeof g_inflate_block;
        r = inflate(&g_inflate, Z_NO_FLUSH);
        size_t got = sizeof g_inflate_block - g_inflate.avail_out;
        memcpy(at, g_inflate_block, got);
        at += got;
    }
    return r == Z_STREAM_END && (size_t)(at - out) == p.file.data.size();
}

// ---- CRCs alone, over the file in 4,096-byte blocks

uint32_t g_sink_crc;

void CrcOurs(const Prepared &p)
{
    uint32_t c = 0xFFFFFFFFu;
    const Bytes &d = p.file.data;
    for (size_t at = 0; at < d.size(); at += 4096) {
        uint32_t n = (uint32_t)std::min<size_t>(4096, d.size() - at);
        c = UpdateCrc32((const char *)d.data() + at, &n, &c);
    }
    g_sink_crc ^= c;
}

void CrcZlib(const Prepared &p)
{
    uLong c = crc32(0, Z_NULL, 0);
    const Bytes &d = p.file.data;
    for (size_t at = 0; at < d.size(); at += 4096)
        c = crc32(c, d.data() + at, (uInt)std::min<size_t>(4096, d.size() - at));
    g_sink_crc ^= (uint32_t)c;
}

void CrcBytewise(const Prepared &p)
{
    uint32_t c = 0xFFFFFFFFu;
    const Bytes &d = p.file.data;
    for (size_t at = 0; at < d.size(); at += 4096)
        c = BytewiseCrc32(d.data() + at, std::min<size_t>(4096, d.size() - at), c);
    g_sink_crc ^= c;
}

} // namespace

// ---- preparation

Prepared Prepare(const CorpusFile &f)
{
    Prepared p;
    p.file = f;
    double t0 = ThreadSeconds();
    p.implode = ImplodeOptimal(f.data.data(), f.data.size(), kDefaultHeader);
    p.encode_seconds = ThreadSeconds() - t0;
    p.header = kDefaultHeader;
    const ImplodeHeader text = {IMPLODE_TEXT, 6};
    Bytes t = ImplodeOptimal(f.data.data(), f.data.size(), text);
    if (t.size() < p.implode.size()) {
        p.implode.swap(t);
        p.header = text;
    }
    z_stream z;
    memset(&z, 0, sizeof z);
    t0 = ThreadSeconds();
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    p.deflate9.resize(deflateBound(&z, f.data.size()));
    z.next_in = (Bytef *)f.data.data();
    z.avail_in = (uInt)f.data.size();
    z.next_out = p.deflate9.data();
    z.avail_out = (uInt)p.deflate9.size();
    deflate(&z, Z_FINISH);
    p.deflate9.resize(z.total_out);
    deflateEnd(&z);
    p.deflate_seconds = ThreadSeconds() - t0;
    p.crc = (uint32_t)crc32(crc32(0, Z_NULL, 0), f.data.data(), (uInt)f.data.size());
    return p;
}

const char *const kMeasureNames[kMeasures] = {"implode decode",
                                              "raw inflate (zlib -9)",
                                              "raw inflate, 2 KB in, 4 KB out",
                                              "implode decode + CRC-32",
                                              "inflate + zlib crc32",
                                              "our CRC-32",
                                              "zlib crc32",
                                              "byte-at-a-time CRC-32 (before)"};

void StartInflate()
{
    memset(&g_inflate, 0, sizeof g_inflate);
    inflateInit2(&g_inflate, -15);
}

void EndInflate()
{
    inflateEnd(&g_inflate);
}

uint32_t CrcSink()
{
    return g_sink_crc;
}

// Runs one measure on one file `reps` times; returns thread CPU seconds.
double RunOnce(Measure m, const Prepared &p, unsigned char *out, int reps)
{
    double t0 = ThreadSeconds();
    bool ok = true;
    for (int i = 0; i < reps; i++) {
        switch (m) {
        case kDecode: ok = DecodeImplode(p, out, false) && ok; break;
        case kDecodeCrc: ok = DecodeImplode(p, out, true) && ok; break;
        case kInflate: ok = InflateWhole(p, out, false) && ok; break;
        case kInflateBlocks: ok = InflateBlocks(p, out) && ok; break;
        case kInflateCrc: ok = InflateWhole(p, out, true) && ok; break;
        case kCrcOurs: CrcOurs(p); break;
        case kCrcZlib: CrcZlib(p); break;
        case kCrcBytewise: CrcBytewise(p); break;
        default: break;
        }
    }
    double t = ThreadSeconds() - t0;
    if (!ok || (m < kCrcOurs && memcmp(out, p.file.data.data(), p.file.data.size()) != 0)) {
        fprintf(stderr, "korvu_bench: %s of %s gave wrong output\n", kMeasureNames[m],
                p.file.name.c_str());
        exit(1);
    }
    return t;
}
