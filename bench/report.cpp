// The host benchmark's tables, and the files it leaves for the Win32
// benchmark and the installer benchmark.
#include <ctype.h>
#include <stdio.h>

#include <algorithm>

#include "encoder.h"
#include "korvu_bench.h"

namespace {

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

} // namespace

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

// The installer benchmark's application: "NN-name", NN keeping names apart.
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
