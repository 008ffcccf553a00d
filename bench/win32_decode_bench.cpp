// The decoder and CRC-32 built as setup.exe builds them (MinGW, -Os, the
// Win32 tree's flags), timed under Wine on the host bench's streams:
//
//   korvu_bench --write-streams DIR      (host: the corpus as implode streams)
//   win32_decode_bench [ROUNDS]          (in DIR: reads manifest.txt; 5 rounds)
//
// Per class of file: decode alone, decode + CRC-32, and the CRC-32 alone,
// in MB/s of output, thread CPU time (GetThreadTimes), the median of the
// rounds with [min..max]. Reads of 2,048 bytes, blocks of 4,096 copied out,
// as the extraction does. No zlib here: the peer is in the host table.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "blocksink.h"
#include "crc32.h"
#include "implode.h"

namespace {

struct Stream {
    char klass[16];
    char name[64];
    unsigned char *data;
    uint32_t size;
    unsigned char *expanded; // the output of the last decode
    uint32_t expanded_size;
    uint32_t crc;
};

const int kMaxStreams = 64;
Stream g_streams[kMaxStreams];
int g_count;

ImplodeWorkArea g_work;

double ThreadSeconds()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER u;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    ULARGE_INTEGER k;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    return (double)(u.QuadPart + k.QuadPart) * 1e-7;
}

bool ReadWhole(const char *path, unsigned char **data, uint32_t *size)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return false;
    fseek(f, 0, SEEK_END);
    long n = ftell(f);
    fseek(f, 0, SEEK_SET);
    *data = (unsigned char *)malloc(n > 0 ? (size_t)n : 1);
    bool ok = *data && n > 0 && fread(*data, 1, (size_t)n, f) == (size_t)n;
    fclose(f);
    *size = (uint32_t)n;
    return ok;
}

bool LoadManifest()
{
    FILE *m = fopen("manifest.txt", "r");
    if (!m) {
        fprintf(stderr, "win32_decode_bench: no manifest.txt here (korvu_bench --write-streams)\n");
        return false;
    }
    char klass[16], file[64], name[64];
    unsigned long size, crc;
    while (g_count < kMaxStreams &&
           fscanf(m, "%15s %63s %lu %lx %63s", klass, file, &size, &crc, name) == 5) {
        Stream &s = g_streams[g_count];
        snprintf(s.klass, sizeof s.klass, "%s", klass);
        snprintf(s.name, sizeof s.name, "%s", name);
        s.expanded_size = (uint32_t)size;
        s.crc = (uint32_t)crc;
        s.expanded = (unsigned char *)malloc(size + IMPLODE_BLOCK_SIZE);
        if (!s.expanded || !ReadWhole(file, &s.data, &s.size)) {
            fprintf(stderr, "win32_decode_bench: cannot read %s\n", file);
            fclose(m);
            return false;
        }
        g_count++;
    }
    fclose(m);
    return g_count > 0;
}

enum { kDecode, kDecodeCrc, kCrc, kMeasures };
const char *const kNames[kMeasures] = {"implode decode", "implode decode + CRC-32", "our CRC-32"};

bool RunOne(int measure, Stream &s)
{
    if (measure == kCrc) {
        uint32_t c = 0xFFFFFFFFu;
        for (uint32_t at = 0; at < s.expanded_size; at += IMPLODE_BLOCK_SIZE) {
            uint32_t n = s.expanded_size - at < IMPLODE_BLOCK_SIZE ? s.expanded_size - at
                                                                   : IMPLODE_BLOCK_SIZE;
            c = UpdateCrc32((const char *)s.expanded + at, &n, &c);
        }
        return ~c == s.crc;
    }
    BlockSink k = {s.data, s.size, 0, s.expanded, measure == kDecodeCrc, 0xFFFFFFFFu};
    uint32_t r = ExpandImplodeStream(BlockSinkRead, BlockSinkWrite, &g_work, &k);
    return r == IMPLODE_OK && (uint32_t)(k.out - s.expanded) == s.expanded_size &&
           (measure != kDecodeCrc || ~k.crc_value == s.crc);
}

int CompareDoubles(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 5;
    if (rounds < 1 || rounds > 99)
        rounds = 5;
    if (!LoadManifest())
        return 1;
    printf("win32_decode_bench: %d-bit build, %d streams, %d rounds, thread CPU time\n",
           (int)(8 * sizeof(void *)), g_count, rounds);
    const char *classes[] = {"PE", "text", "HTML", "records", "generated", "real"};
    for (const char *klass : classes) {
        bool real = strcmp(klass, "real") == 0;
        double bytes = 0;
        int files = 0;
        for (int i = 0; i < g_count; i++) {
            bool in = real ? strcmp(g_streams[i].klass, "generated") != 0
                           : strcmp(g_streams[i].klass, klass) == 0;
            if (in) {
                bytes += g_streams[i].expanded_size;
                files++;
            }
        }
        if (files == 0)
            continue;
        // Passes over the class so that each figure takes about half a
        // second: the thread clock under Wine ticks every 10 ms.
        int passes[kMeasures];
        for (int m = 0; m < kMeasures; m++)
            passes[m] = (int)((m == kCrc ? 2e9 : 2e8) / bytes) + 1;
        printf("\n%s: %d files, %.1f MB\n", real ? "real files in total" : klass, files,
               bytes / 1e6);
        double speed[kMeasures][99];
        for (int r = 0; r < rounds; r++) {
            for (int m = 0; m < kMeasures; m++) {
                double t0 = ThreadSeconds();
                for (int p = 0; p < passes[m]; p++) {
                    for (int i = 0; i < g_count; i++) {
                        Stream &s = g_streams[i];
                        bool in =
                            real ? strcmp(s.klass, "generated") != 0 : strcmp(s.klass, klass) == 0;
                        if (in && !RunOne(m, s)) {
                            fprintf(stderr, "win32_decode_bench: %s: wrong output\n", s.name);
                            return 1;
                        }
                    }
                }
                double t = ThreadSeconds() - t0;
                speed[m][r] = t > 0 ? bytes * passes[m] / t / 1e6 : 0;
            }
        }
        for (int m = 0; m < kMeasures; m++) {
            qsort(speed[m], (size_t)rounds, sizeof(double), CompareDoubles);
            double median = rounds % 2 ? speed[m][rounds / 2]
                                       : (speed[m][rounds / 2 - 1] + speed[m][rounds / 2]) / 2;
            printf("  %-26s %6.0f [%.0f..%.0f] MB/s\n", kNames[m], median, speed[m][0],
                   speed[m][rounds - 1]);
        }
    }
    return 0;
}
