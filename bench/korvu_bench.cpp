// Decoding and encoding throughput of the implode code beside zlib in the
// same run, and the compressed sizes beside zlib -9. The table at the end
// gives the ratios; absolute speeds depend on the machine, ratios much less.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "corpus.h"
#include "encoder.h"
#include "implode.h"

namespace {

typedef std::vector<unsigned char> Bytes;

struct Prepared {
    CorpusFile file;
    Bytes implode;    // default header, 00 06
    Bytes zlib9;      // zlib format, level 9
    uint64_t optimum; // bytes of the smallest 00 06 stream, from the parse cost
    size_t best;      // smallest stream over the six headers
};

std::vector<Prepared> g_files;

// ---- decoding through the product's callbacks: 2,048-byte reads from
// memory, 4,096-byte blocks copied to the output, as the extraction does.

struct Source {
    const Bytes *stream;
    size_t position;
    unsigned char *out;
};

uint32_t ReadBlock(char *buffer, uint32_t *size, void *param)
{
    Source *s = (Source *)param;
    size_t n = s->stream->size() - s->position;
    if (n > *size)
        n = *size;
    memcpy(buffer, s->stream->data() + s->position, n);
    s->position += n;
    return (uint32_t)n;
}

void WriteBlock(char *buffer, uint32_t *size, void *param)
{
    Source *s = (Source *)param;
    memcpy(s->out, buffer, *size);
    s->out += *size;
}

void DecodeImplode(benchmark::State &state, const Prepared *p)
{
    Bytes out(p->file.data.size());
    static ImplodeWorkArea work;
    for (auto _ : state) {
        Source s = {&p->implode, 0, out.data()};
        uint32_t result = ExpandImplodeStream(ReadBlock, WriteBlock, &work, &s);
        if (result != IMPLODE_OK || (size_t)(s.out - out.data()) != out.size())
            state.SkipWithError("implode stream did not decode");
        benchmark::DoNotOptimize(out.data());
    }
    if (out != p->file.data)
        state.SkipWithError("implode output differs");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)out.size());
}

void DecodeInflate(benchmark::State &state, const Prepared *p)
{
    Bytes out(p->file.data.size());
    for (auto _ : state) {
        uLongf n = out.size();
        if (uncompress(out.data(), &n, p->zlib9.data(), p->zlib9.size()) != Z_OK ||
            n != out.size())
            state.SkipWithError("zlib stream did not inflate");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)out.size());
}

void EncodeImplode(benchmark::State &state, const Prepared *p)
{
    for (auto _ : state) {
        Bytes stream = ImplodeOptimal(p->file.data.data(), p->file.data.size(), kDefaultHeader);
        benchmark::DoNotOptimize(stream.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)p->file.data.size());
}

void EncodeDeflate9(benchmark::State &state, const Prepared *p)
{
    Bytes out(compressBound(p->file.data.size()));
    for (auto _ : state) {
        uLongf n = out.size();
        compress2(out.data(), &n, p->file.data.data(), p->file.data.size(), 9);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)p->file.data.size());
}

// ---- collects each benchmark's time per iteration for the ratio table

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (r.iterations > 0 && !r.error_occurred)
                seconds[r.benchmark_name()] = r.real_accumulated_time / (double)r.iterations;
        ConsoleReporter::ReportRuns(runs);
    }
};

Prepared Prepare(const CorpusFile &f)
{
    Prepared p;
    p.file = f;
    p.implode = ImplodeOptimal(f.data.data(), f.data.size(), kDefaultHeader);
    p.optimum = 2 + (ImplodeOptimalBits(f.data.data(), f.data.size(), kDefaultHeader) + 7) / 8;
    p.best = p.implode.size();
    for (int mode = 0; mode <= 1; mode++)
        for (int k = 4; k <= 6; k++)
            if (mode != 0 || k != 6)
                p.best = std::min(p.best, ImplodeOptimal(f.data.data(), f.data.size(),
                                                         ImplodeHeader{mode, k}).size());
    uLongf n = compressBound(f.data.size());
    p.zlib9.resize(n);
    compress2(p.zlib9.data(), &n, f.data.data(), f.data.size(), 9);
    p.zlib9.resize(n);
    return p;
}

double MBps(double bytes, double seconds) { return seconds > 0 ? bytes / seconds / 1e6 : 0; }

void PrintTable(const std::map<std::string, double> &t)
{
    printf("\n%-13s %9s %9s %9s %9s %6s %9s | %8s %8s %6s | %8s %8s\n", "file", "size",
           "implode", "optimum", "best-hdr", "/zlib", "zlib-9", "decode", "inflate", "ratio",
           "encode", "deflate9");
    printf("%-13s %9s %9s %9s %9s %6s %9s | %8s %8s %6s | %8s %8s\n", "", "bytes", "00 06",
           "", "", "", "", "MB/s", "MB/s", "", "MB/s", "MB/s");
    double size = 0, imp = 0, opt = 0, best = 0, z = 0, td = 0, ti = 0, te = 0, tz = 0;
    for (const Prepared &p : g_files) {
        const std::string &n = p.file.name;
        double s = (double)p.file.data.size();
        double d = t.at("decode/implode/" + n), i = t.at("decode/inflate/" + n);
        double e = t.at("encode/implode/" + n), ze = t.at("encode/deflate9/" + n);
        printf("%-13s %9.0f %9zu %9llu %9zu %6.3f %9zu | %8.1f %8.1f %6.2f | %8.1f %8.1f\n",
               n.c_str(), s, p.implode.size(), (unsigned long long)p.optimum, p.best,
               (double)p.implode.size() / (double)p.zlib9.size(), p.zlib9.size(), MBps(s, d),
               MBps(s, i), i / d, MBps(s, e), MBps(s, ze));
        size += s;
        imp += (double)p.implode.size();
        opt += (double)p.optimum;
        best += (double)p.best;
        z += (double)p.zlib9.size();
        td += d;
        ti += i;
        te += e;
        tz += ze;
    }
    printf("%-13s %9.0f %9.0f %9.0f %9.0f %6.3f %9.0f | %8.1f %8.1f %6.2f | %8.1f %8.1f\n",
           "corpus", size, imp, opt, best, imp / z, z, MBps(size, td), MBps(size, ti), ti / td,
           MBps(size, te), MBps(size, tz));
    printf("\nratio = decode speed / inflate speed (target >= 1.0); /zlib = implode size / "
           "zlib -9 size;\nimplode equals optimum when the stream written is the smallest "
           "for its header.\n");
}

} // namespace

int main(int argc, char **argv)
{
    for (const CorpusFile &f : LoadCorpus())
        g_files.push_back(Prepare(f));
    for (const Prepared &p : g_files) {
        benchmark::RegisterBenchmark(("decode/implode/" + p.file.name).c_str(), DecodeImplode, &p);
        benchmark::RegisterBenchmark(("decode/inflate/" + p.file.name).c_str(), DecodeInflate, &p);
    }
    for (const Prepared &p : g_files) {
        benchmark::RegisterBenchmark(("encode/implode/" + p.file.name).c_str(), EncodeImplode, &p)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode/deflate9/" + p.file.name).c_str(), EncodeDeflate9,
                                     &p)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bool all = true;
    for (const Prepared &p : g_files)
        for (const char *k : {"decode/implode/", "decode/inflate/", "encode/implode/",
                              "encode/deflate9/"})
            all = all && reporter.seconds.count(k + p.file.name);
    if (all)
        PrintTable(reporter.seconds);
    benchmark::Shutdown();
    return 0;
}
