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
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bytes.h"
#include "corpus.h"
#include "korvu_bench.h"

namespace {

struct Args {
    int rounds = 9;
    bool per_file = false, encoder = false;
    std::string streams, only, raw;
};

// False after the usage line.
bool ParseArgs(int argc, char **argv, Args *a)
{
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            a->rounds = std::max(1, atoi(argv[++i]));
        } else if (strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            a->only = argv[++i];
        } else if (strcmp(argv[i], "--files") == 0) {
            a->per_file = true;
        } else if (strcmp(argv[i], "--encoder") == 0) {
            a->encoder = true;
        } else if (strcmp(argv[i], "--write-streams") == 0 && i + 1 < argc) {
            a->streams = argv[++i];
        } else if (strcmp(argv[i], "--write-files") == 0 && i + 1 < argc) {
            a->raw = argv[++i];
        } else {
            fprintf(stderr, "usage: korvu_bench [--rounds N] [--class NAME] [--files] [--encoder] "
                            "[--write-streams DIR] [--write-files DIR]\n");
            return false;
        }
    }
    return true;
}

// seconds[file][measure][round], per single pass of the file.
typedef std::vector<std::vector<std::vector<double>>> Seconds;

Seconds TimeAll(const std::vector<Prepared> &files, int rounds, size_t largest)
{
    Bytes out(largest + 4096);
    // Small files are run several times per round, so that each file
    // counts for at least 4 MB of output and clock granularity stays far below.
    std::vector<int> reps;
    for (const Prepared &p : files)
        reps.push_back((int)std::max<size_t>(1, (4u << 20) / p.file.data.size()));
    Seconds seconds(files.size(),
                    std::vector<std::vector<double>>(kMeasures, std::vector<double>(rounds)));
    for (int r = 0; r < rounds; r++) {
        for (size_t f = 0; f < files.size(); f++) {
            // Alternate the order of the measures from round to round.
            for (int k = 0; k < kMeasures; k++) {
                int m = (r % 2) ? kMeasures - 1 - k : k;
                seconds[f][m][r] = RunOnce((Measure)m, files[f], out.data(), reps[f]) / reps[f];
            }
        }
    }
    return seconds;
}

// The table of each class of file, then of the real files in total.
void PrintGroups(const std::vector<Prepared> &files, const Seconds &seconds, int rounds)
{
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
}

} // namespace

int main(int argc, char **argv)
{
    Args a;
    if (!ParseArgs(argc, argv, &a))
        return 2;
    if (!a.raw.empty()) {
        if (!WriteFiles(a.raw, LoadCorpus())) {
            fprintf(stderr, "korvu_bench: cannot write the files to %s\n", a.raw.c_str());
            return 1;
        }
        return 0;
    }
    std::vector<Prepared> files;
    size_t largest = 0;
    for (const CorpusFile &f : LoadCorpus()) {
        if (!a.only.empty() && f.klass != a.only)
            continue;
        files.push_back(Prepare(f));
        largest = std::max(largest, f.data.size());
    }
    if (files.empty())
        return 1;
    if (!a.streams.empty()) {
        if (!WriteStreams(a.streams, files)) {
            fprintf(stderr, "korvu_bench: cannot write the streams to %s\n", a.streams.c_str());
            return 1;
        }
        printf("implode streams and manifest.txt written to %s\n", a.streams.c_str());
        return 0;
    }
    StartInflate();
    Seconds seconds = TimeAll(files, a.rounds, largest);
    printf("korvu_bench: %d rounds, thread CPU time; 2,048-byte reads, 4,096-byte writes\n",
           a.rounds);
    if (a.per_file) {
        printf("\nper file: header, implode size / deflate -9 size, decode / inflate, "
               "decode+CRC / inflate+crc32\n");
        for (size_t f = 0; f < files.size(); f++)
            PrintFileRow(files[f], seconds[f]);
    }
    PrintGroups(files, seconds, a.rounds);
    if (a.encoder)
        PrintEncoder(files);
    EndInflate();
    return CrcSink() == 0x12345678u ? 3 : 0; // keeps the CRC loops from being dropped
}
