// The installer's own path beside gzip's, measured side by side in one run:
// implode decoding against raw inflate of the same file at zlib -9, each
// with its CRC-32 (ours against zlib's crc32), and the CRCs alone, including
// the byte-at-a-time fold ours replaced. Both decoders read 2,048 bytes and
// write 4,096 at a time, as the extraction does, and every output block is
// copied out as the extraction hands it to WriteFile.
//
// Thread CPU time, several rounds; each figure is the median of the rounds
// with [min..max], per class of file and in total over the real files. The
// ratios are taken round by round, so that a slow moment of a shared machine
// hits both sides of a ratio alike.
//
//   korvu_bench [--rounds N] [--class NAME] [--files] [--encoder] [--write-streams DIR]
//               [--write-files DIR]
//
// --class keeps one class of files, --files adds a row per file, --encoder times the encoder and lists the
// sizes, --write-streams leaves the implode streams and a manifest in DIR
// for the Win32 build of the decoder (win32_decode_bench), --write-files
// the real files themselves into DIR (bench/nsis-vs-setup.sh installs them).
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "bytes.h"
#include "corpus.h"
#include "crc32.h"
#include "encoder.h"
#include "implode.h"

namespace {

struct Prepared {
    CorpusFile file;
    ImplodeHeader header; // the smaller of binary and text with the 4 KB window
    Bytes implode;
    Bytes deflate9;         // raw deflate, level 9, as inside a gzip file
    uint32_t crc;           // zlib's crc32 of the file
    double encode_seconds;  // our encoder, header 00 06, one pass
    double deflate_seconds; // zlib -9, one pass
};

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

struct Sink {
    const Bytes *stream;
    size_t position;
    unsigned char *out;
    bool crc;
    uint32_t crc_value;
};

uint32_t ReadBlock(char *buffer, uint32_t *size, void *param)
{
    Sink *s = (Sink *)param;
    size_t n = std::min<size_t>(s->stream->size() - s->position, *size);
    memcpy(buffer, s->stream->data() + s->position, n);
    s->position += n;
    return (uint32_t)n;
}

void WriteBlock(char *buffer, uint32_t *size, void *param)
{
    Sink *s = (Sink *)param;
    if (s->crc)
        s->crc_value = UpdateCrc32(buffer, size, &s->crc_value);
    memcpy(s->out, buffer, *size);
    s->out += *size;
}

ImplodeWorkArea g_work;

bool DecodeImplode(const Prepared &p, unsigned char *out, bool crc)
{
    Sink s = {&p.implode, 0, out, crc, 0xFFFFFFFFu};
    uint32_t result = ExpandImplodeStream(ReadBlock, WriteBlock, &g_work, &s);
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

// ---- measurement

enum Measure {
    kDecode,
    kInflate,
    kInflateBlocks,
    kDecodeCrc,
    kInflateCrc,
    kCrcOurs,
    kCrcZlib,
    kCrcBytewise,
    kMeasures
};
const char *const kMeasureNames[kMeasures] = {"implode decode",
                                              "raw inflate (zlib -9)",
                                              "raw inflate, 2 KB in, 4 KB out",
                                              "implode decode + CRC-32",
                                              "inflate + zlib crc32",
                                              "our CRC-32",
                                              "zlib crc32",
                                              "byte-at-a-time CRC-32 (before)"};

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

struct Stats {
    double median, min, max;
};

Stats Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return Stats{median, v.front(), v.back()};
}

std::string Figure(const Stats &s, const char *format)
{
    char a[32], b[32], c[32], line[128];
    snprintf(a, sizeof a, format, s.median);
    snprintf(b, sizeof b, format, s.min);
    snprintf(c, sizeof c, format, s.max);
    snprintf(line, sizeof line, "%s [%s..%s]", a, b, c);
    return line;
}

// seconds[group][measure][round] for each group of files reported.
typedef std::map<std::string, std::vector<std::vector<double>>> Times;

void PrintGroup(const std::string &group, double bytes, size_t files,
                const std::vector<std::vector<double>> &t)
{
    auto mbps = [&](Measure m) {
        std::vector<double> v;
        for (double s : t[m])
            v.push_back(bytes / s / 1e6);
        return Summarise(v);
    };
    auto ratio = [&](Measure a, Measure b) { // speed of a / speed of b, round by round
        std::vector<double> v;
        for (size_t r = 0; r < t[a].size(); r++)
            v.push_back(t[b][r] / t[a][r]);
        return Summarise(v);
    };
    printf("\n%s: %zu files, %.1f MB\n", group.c_str(), files, bytes / 1e6);
    printf("  %-32s %s\n", "MB/s of output", "median [min..max]");
    for (int m = 0; m < kMeasures; m++)
        printf("  %-32s %s\n", kMeasureNames[m], Figure(mbps((Measure)m), "%.0f").c_str());
    printf("  %-32s %s\n", "decode / raw inflate",
           Figure(ratio(kDecode, kInflate), "%.2f").c_str());
    printf("  %-32s %s\n", "decode+CRC / inflate+crc32",
           Figure(ratio(kDecodeCrc, kInflateCrc), "%.2f").c_str());
    printf("  %-32s %s\n", "our CRC / zlib crc32",
           Figure(ratio(kCrcOurs, kCrcZlib), "%.2f").c_str());
    printf("  %-32s %s\n", "our CRC / byte-at-a-time",
           Figure(ratio(kCrcOurs, kCrcBytewise), "%.2f").c_str());
}

void PrintFileRow(const Prepared &p, const std::vector<std::vector<double>> &t)
{
    std::vector<double> d, dc;
    for (size_t r = 0; r < t[kDecode].size(); r++) {
        d.push_back(t[kInflate][r] / t[kDecode][r]);
        dc.push_back(t[kInflateCrc][r] / t[kDecodeCrc][r]);
    }
    Stats s = Summarise(d), sc = Summarise(dc);
    printf("  %-9s %-26s %9zu  %02X %02X %5.3f  %.2f [%.2f..%.2f]  %.2f [%.2f..%.2f]\n",
           p.file.klass.c_str(), p.file.name.c_str(), p.file.data.size(), p.header.literal_mode,
           p.header.dictionary_bits, (double)p.implode.size() / (double)p.deflate9.size(), s.median,
           s.min, s.max, sc.median, sc.min, sc.max);
}

void PrintEncoder(const std::vector<Prepared> &files)
{
    printf("\nencoder, header 00 06, one pass: its stream against the optimum for the header "
           "(from the parse cost)\nand zlib -9 (raw deflate), sizes in bytes, speeds in MB/s "
           "of input\n");
    printf("  %-9s %-24s %9s %9s %9s %9s %6s %7s %7s\n", "class", "file", "size", "implode",
           "optimum", "deflate9", "/zlib", "encode", "deflate");
    double size = 0, imp = 0, z = 0, te = 0, tz = 0;
    bool all_optimal = true;
    for (const Prepared &p : files) {
        const Bytes &d = p.file.data;
        Bytes binary = p.header.literal_mode == IMPLODE_BINARY
                           ? p.implode
                           : ImplodeOptimal(d.data(), d.size(), kDefaultHeader);
        uint64_t optimum = 2 + (ImplodeOptimalBits(d.data(), d.size(), kDefaultHeader) + 7) / 8;
        all_optimal = all_optimal && binary.size() == optimum;
        printf("  %-9s %-24s %9zu %9zu %9llu %9zu %6.3f %7.1f %7.1f\n", p.file.klass.c_str(),
               p.file.name.c_str(), d.size(), binary.size(), (unsigned long long)optimum,
               p.deflate9.size(), (double)binary.size() / (double)p.deflate9.size(),
               (double)d.size() / p.encode_seconds / 1e6,
               (double)d.size() / p.deflate_seconds / 1e6);
        size += (double)d.size();
        imp += (double)binary.size();
        z += (double)p.deflate9.size();
        te += p.encode_seconds;
        tz += p.deflate_seconds;
    }
    printf("  %-34s %9.0f %9.0f %9s %9.0f %6.3f %7.1f %7.1f\n", "all", size, imp,
           all_optimal ? "= all" : "NOT ALL", z, imp / z, size / te / 1e6, size / tz / 1e6);
}

bool WriteStreams(const std::string &dir, const std::vector<Prepared> &files)
{
    std::string manifest = dir + "/manifest.txt";
    FILE *m = fopen(manifest.c_str(), "w");
    if (!m)
        return false;
    int i = 0;
    for (const Prepared &p : files) {
        char name[32];
        snprintf(name, sizeof name, "s%02d.imp", i++);
        FILE *f = fopen((dir + "/" + name).c_str(), "wb");
        if (!f || fwrite(p.implode.data(), 1, p.implode.size(), f) != p.implode.size()) {
            if (f)
                fclose(f);
            fclose(m);
            return false;
        }
        fclose(f);
        // class, stream file, expanded size, CRC-32, name
        fprintf(m, "%s %s %zu %08X %s\n", p.file.klass.c_str(), name, p.file.data.size(), p.crc,
                p.file.name.c_str());
    }
    return fclose(m) == 0;
}

// The real files of the corpus as they are, one folder (the installer
// benchmark's application): "NN-name", NN keeping names apart.
bool WriteFiles(const std::string &dir, const std::vector<CorpusFile> &files)
{
    int i = 0;
    for (const CorpusFile &c : files) {
        if (c.klass == "generated")
            continue;
        std::string base = c.name.substr(c.name.find_last_of('/') + 1);
        for (char &ch : base)
            if (!isalnum((unsigned char)ch) && ch != '.' && ch != '-' && ch != '_')
                ch = '_';
        char prefix[16];
        snprintf(prefix, sizeof prefix, "%03d-", i++);
        FILE *f = fopen((dir + "/" + prefix + base).c_str(), "wb");
        if (!f || fwrite(c.data.data(), 1, c.data.size(), f) != c.data.size()) {
            if (f)
                fclose(f);
            return false;
        }
        if (fclose(f) != 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 9;
    bool per_file = false, encoder = false;
    std::string streams, only, raw;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, atoi(argv[++i]));
        } else if (strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else if (strcmp(argv[i], "--files") == 0) {
            per_file = true;
        } else if (strcmp(argv[i], "--encoder") == 0) {
            encoder = true;
        } else if (strcmp(argv[i], "--write-streams") == 0 && i + 1 < argc) {
            streams = argv[++i];
        } else if (strcmp(argv[i], "--write-files") == 0 && i + 1 < argc) {
            raw = argv[++i];
        } else {
            fprintf(stderr, "usage: korvu_bench [--rounds N] [--class NAME] [--files] [--encoder] "
                            "[--write-streams DIR] [--write-files DIR]\n");
            return 2;
        }
    }

    if (!raw.empty()) {
        if (!WriteFiles(raw, LoadCorpus())) {
            fprintf(stderr, "korvu_bench: cannot write the files to %s\n", raw.c_str());
            return 1;
        }
        return 0;
    }
    std::vector<Prepared> files;
    size_t largest = 0;
    for (const CorpusFile &f : LoadCorpus()) {
        if (!only.empty() && f.klass != only)
            continue;
        files.push_back(Prepare(f));
        largest = std::max(largest, f.data.size());
    }
    if (files.empty())
        return 1;
    if (!streams.empty()) {
        if (!WriteStreams(streams, files)) {
            fprintf(stderr, "korvu_bench: cannot write the streams to %s\n", streams.c_str());
            return 1;
        }
        printf("implode streams and manifest.txt written to %s\n", streams.c_str());
        return 0;
    }
    memset(&g_inflate, 0, sizeof g_inflate);
    inflateInit2(&g_inflate, -15);
    Bytes out(largest + 4096);

    // Small files are run several times per round, so that each file
    // counts for at least 4 MB of output and clock granularity stays far below.
    std::vector<int> reps;
    for (const Prepared &p : files)
        reps.push_back((int)std::max<size_t>(1, (4u << 20) / p.file.data.size()));

    // seconds[file][measure][round], per single pass of the file.
    std::vector<std::vector<std::vector<double>>> seconds(
        files.size(), std::vector<std::vector<double>>(kMeasures, std::vector<double>(rounds)));
    for (int r = 0; r < rounds; r++) {
        for (size_t f = 0; f < files.size(); f++) {
            // Alternate the order of the measures from round to round.
            for (int k = 0; k < kMeasures; k++) {
                int m = (r % 2) ? kMeasures - 1 - k : k;
                seconds[f][m][r] = RunOnce((Measure)m, files[f], out.data(), reps[f]) / reps[f];
            }
        }
    }

    printf("korvu_bench: %d rounds, thread CPU time; 2,048-byte reads, 4,096-byte writes\n",
           rounds);
    if (per_file) {
        printf("\nper file: header, implode size / deflate -9 size, decode / inflate, "
               "decode+CRC / inflate+crc32\n");
        for (size_t f = 0; f < files.size(); f++)
            PrintFileRow(files[f], seconds[f]);
    }
    auto group = [&](const std::string &name, bool (*in)(const Prepared &, const std::string &)) {
        std::vector<std::vector<double>> t(kMeasures, std::vector<double>(rounds, 0.0));
        double bytes = 0;
        size_t n = 0;
        for (size_t f = 0; f < files.size(); f++) {
            if (!in(files[f], name))
                continue;
            n++;
            bytes += (double)files[f].file.data.size();
            for (int m = 0; m < kMeasures; m++)
                for (int r = 0; r < rounds; r++)
                    t[m][r] += seconds[f][m][r];
        }
        if (n > 0)
            PrintGroup(name, bytes, n, t);
    };
    for (const char *k : kCorpusClasses)
        group(k, [](const Prepared &p, const std::string &g) { return p.file.klass == g; });
    group("real files in total (PE, text, HTML, records)",
          [](const Prepared &p, const std::string &) { return p.file.klass != "generated"; });
    if (encoder)
        PrintEncoder(files);
    inflateEnd(&g_inflate);
    return g_sink_crc == 0x12345678u ? 3 : 0; // keeps the CRC loops from being dropped
}
