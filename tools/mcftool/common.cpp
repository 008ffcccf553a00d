// What the commands share: usage, messages, progress.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "commands.h"
#include "names.h"

const char kUsage[] =
    "usage: mcftool COMMAND [OPTIONS] OPERANDS...   (options go before the operands)\n"
    "  implode [-f] [--text|--binary] [--dict 1024|2048|4096] IN OUT\n"
    "                      encode IN as one implode stream (default: binary, 4096)\n"
    "  explode [-f] IN OUT decode one implode stream; on a decoder error OUT is not\n"
    "                      written and the exit status is 10 + the decoder's result\n"
    "                      (IN, OUT of implode and explode: - is standard in/output)\n"
    "  pack [-f] [--best] [--codepage CP] OUT.mcf FILE...\n"
    "                      write a payload container, one record per FILE named by\n"
    "                      its base name; --best tries every header per file\n"
    "  build --stub STUB.exe [--best] [--codepage CP] [-f|--force] OUT.exe (DIR | FILE...)\n"
    "                      write a setup.exe installing every file directly in DIR\n"
    "                      (or the FILEs), made from the built setup.exe STUB.exe\n"
    "  list [--codepage CP] IN       names, sizes, ratio, CRC and header of every record\n"
    "  verify [--codepage CP] IN     decode every record, check its CRC, length and name\n"
    "  extract [-f] [--codepage CP] IN DIR  write every record's file into DIR, checked\n"
    "  checkvalue [-f] IN.mcf OUT  write the container's check value (its length and\n"
    "                      CRC-32, 8 bytes), the CMPFILE resource 122 of a setup.exe\n"
    "  --version, --help\n"
    "IN of list, verify and extract is a container or a built setup.exe. CP is the\n"
    "Windows ANSI code page of the names on the target (default 1252); names are\n"
    "UTF-8 on this side. An existing output file is replaced only with -f (--force);\n"
    "a folder, a symbolic link or a special file never is. Outputs appear only when\n"
    "complete and checked.\n"
    "Exit status: 0 done; 1 unreadable input, damaged data (also list) or unwritable\n"
    "output; 2 misuse; explode: 11 bad window size, 12 bad literal mode, 13 input of\n"
    "4 bytes or fewer, 14 input ended before the end of the stream.\n";

int Usage()
{
    fputs(kUsage, stderr);
    return kExitUsage;
}

int Fail(const std::string &what)
{
    fprintf(stderr, "mcftool: %s\n", what.c_str());
    return kExitFailure;
}

std::string CannotRead(const std::string &path)
{
    return "cannot read " + path + ": " + strerror(errno);
}

std::string CannotWrite(const std::string &path)
{
    return "cannot write " + path + ": " + strerror(errno);
}

int ParseOptions(int argc, char **argv, unsigned allowed, Options *options)
{
    int i = 0;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != 0; i++) {
        std::string opt = argv[i];
        if (opt == "--") {
            i++;
            break;
        }
        if ((allowed & OPT_FORCE) && (opt == "-f" || opt == "--force")) {
            options->force = true;
        } else if ((allowed & OPT_BEST) && opt == "--best") {
            options->best = true;
        } else if ((allowed & OPT_CODEPAGE) && opt == "--codepage") {
            if (i + 1 >= argc || !ParseCodePageNumber(argv[i + 1], &options->codepage)) {
                fprintf(stderr, "mcftool: --codepage needs a code page number, such as 1252\n");
                return -1;
            }
            i++;
        } else if ((allowed & OPT_STUB) && opt == "--stub") {
            if (i + 1 >= argc) {
                fprintf(stderr, "mcftool: --stub needs a file, a built setup.exe\n");
                return -1;
            }
            options->stub = argv[++i];
        } else if ((allowed & OPT_HEADER) && (opt == "--text" || opt == "--binary")) {
            options->header.literal_mode = opt == "--text" ? IMPLODE_TEXT : IMPLODE_BINARY;
        } else if ((allowed & OPT_HEADER) && opt == "--dict") {
            std::string v = i + 1 < argc ? argv[++i] : "";
            int bits = v == "1024" ? 4 : v == "2048" ? 5 : v == "4096" ? 6 : 0;
            if (!bits) {
                fprintf(stderr, "mcftool: --dict takes 1024, 2048 or 4096\n");
                return -1;
            }
            options->header.dictionary_bits = bits;
        } else {
            fprintf(stderr, "mcftool: unknown option %s\n", argv[i]);
            return -1;
        }
    }
    return i;
}

int ParseCommand(int argc, char **argv, unsigned allowed, int min, int max, Options *options,
                 CodePage *cp, int *status)
{
    int i = ParseOptions(argc, argv, allowed, options);
    if (i < 0 || argc - i < min || argc - i > max) {
        *status = Usage();
        return -1;
    }
    std::string why;
    if (!cp->Open(options->codepage, &why)) {
        *status = Fail(why);
        return -1;
    }
    return i;
}

// ---------------------------------------------------------------- progress

#include <sys/stat.h>
#include <time.h>

const char kVersion[] = "mcftool 7.2 (Korvu ark 7.2 Setup release tool)\n";

namespace {

double Now()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

} // namespace

Progress::Progress(uint64_t total_bytes, unsigned files)
    : enabled_(isatty(2) != 0), start_(Now()), total_(total_bytes), before_(0), size_(0),
      done_(0), files_(files), index_(0), shown_(-1), width_(0)
{
}

Progress::~Progress() { Clear(); }

void Progress::StartFile(const std::string &label, uint64_t size)
{
    if (index_ > 0)
        before_ += size_;
    index_++;
    label_ = label;
    size_ = size;
    done_ = 0;
    shown_ = -1;
    Update(0);
}

void Progress::Update(uint64_t done)
{
    done_ = done;
    if (index_ == 0)
        return;
    if (!enabled_ || Now() - start_ < 1.0)
        return;
    int permille = size_ ? (int)(done * 1000 / size_) : 1000;
    if (permille / 10 == shown_ / 10 && shown_ >= 0)
        return;
    shown_ = permille;
    char line[512];
    int n;
    if (files_ > 1) {
        uint64_t all = before_ + done;
        n = snprintf(line, sizeof line, "\rmcftool: %s: %3d%%  (file %u of %u, %3d%% of all)",
                     label_.c_str(), permille / 10, index_, files_,
                     total_ ? (int)(all * 100 / total_) : 100);
    } else {
        n = snprintf(line, sizeof line, "\rmcftool: %s: %3d%%", label_.c_str(), permille / 10);
    }
    if (n < 0)
        return;
    size_t len = (size_t)n < sizeof line ? (size_t)n : sizeof line - 1;
    fputs(line, stderr);
    for (size_t i = len; i < width_; i++)
        fputc(' ', stderr);
    if (len > width_)
        width_ = len;
    fflush(stderr);
}

void Progress::Clear()
{
    if (width_ == 0)
        return;
    fputc('\r', stderr);
    for (size_t i = 0; i < width_; i++)
        fputc(' ', stderr);
    fputc('\r', stderr);
    fflush(stderr);
    width_ = 0;
}

// ---------------------------------------------------------------- input

bool RegularFileSize(const std::string &path, uint64_t *size, std::string *why)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        *why = std::string("cannot read: ") + strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        *why = "is a folder, not a regular file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = "is not a regular file (a device or a pipe: give it on standard input as -)";
        return false;
    }
    *size = (uint64_t)st.st_size;
    return true;
}

bool ReadPieces(const std::string &path, uint64_t limit,
                const std::function<void(const unsigned char *, size_t)> &piece,
                std::string *why, uint64_t *size)
{
    FILE *f = stdin;
    uint64_t expected = 0;
    if (path != "-") {
        if (!RegularFileSize(path, &expected, why))
            return false;
        if (expected > limit) {
            *why = "larger than 4 GB, more than the format's sizes can hold";
            return false;
        }
        f = fopen(path.c_str(), "rb");
        if (!f) {
            *why = std::string("cannot read: ") + strerror(errno);
            return false;
        }
    }
    static unsigned char buffer[1 << 16];
    uint64_t total = 0;
    bool ok = true;
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        total += n;
        if (total > limit) {
            *why = "larger than 4 GB, more than the format's sizes can hold";
            ok = false;
            break;
        }
        piece(buffer, n);
    }
    if (ok && ferror(f)) {
        *why = std::string("cannot read: ") + strerror(errno);
        ok = false;
    }
    if (f != stdin)
        fclose(f);
    if (size)
        *size = total;
    return ok;
}
