// Corpus: real files by class, found where Debian installs them with the
// project's packages (Wine, binutils, GCC, zlib, base-files), and two files
// generated here the same way every time: an HTML help book and a
// database-like binary of fixed-size accounting records.
//
//   PE       Wine's Windows DLLs and EXEs (i386, and x86_64 where installed)
//   text     man pages (gunzipped), GPL-3, Wine's setup information file
//   HTML     HTML manuals under /usr/share/doc
//   records  the sample ledger of samples/make-ledger.py, 100,000 entries
//            (about 6 MB; written into the build tree by the bench target)
#include "corpus.h"

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

const char *const kCorpusClasses[5] = {"PE", "text", "HTML", "records", "generated"};

namespace {

bool ReadFile(const std::string &path, std::vector<unsigned char> *data)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        data->insert(data->end(), block, block + n);
    fclose(f);
    return true;
}

// A gzip file's contents, as man shows them.
bool ReadGzip(const std::string &path, std::vector<unsigned char> *data)
{
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f)
        return false;
    unsigned char block[65536];
    int n;
    while ((n = gzread(f, block, sizeof block)) > 0)
        data->insert(data->end(), block, block + n);
    bool ok = n == 0;
    gzclose(f);
    return ok && !data->empty();
}

struct Random {
    uint32_t state;
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

const char *const kWords[] = {
    "account", "ledger",  "entry",  "balance", "invoice", "customer", "supplier", "period",
    "journal", "posting", "tax",    "amount",  "report",  "the",      "a",        "of",
    "to",      "and",     "is",     "in",      "for",     "you",      "can",      "select",
    "click",   "dialog",  "button", "field",   "menu",    "Korvu",    "year",     "closing",
    "opening", "budget",  "cost",   "centre",  "voucher", "date",     "number",   "open",
    "print",   "total",   "debit",  "credit",  "VAT",     "settings", "window",   "when",
    "with",    "from",    "this",   "shows",   "each",    "new",      "list",     "value",
    "file"};
const size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::string Sentence(Random &r)
{
    std::string s;
    size_t n = 6 + r.Below(12);
    for (size_t i = 0; i < n; i++) {
        std::string w = kWords[r.Below((uint32_t)kWordCount)];
        if (i == 0)
            w[0] = (char)toupper((unsigned char)w[0]);
        s += (i ? " " : "") + w;
    }
    return s + ".";
}

std::vector<unsigned char> HelpBook()
{
    Random r = {72};
    std::string html;
    for (int page = 0; page < 160; page++) {
        std::string title = Sentence(r);
        title.pop_back();
        html += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
                "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" "
                "content=\"text/html; charset=windows-1252\">\r\n<title>Korvu ark 7.2 Help - " +
                title +
                "</title>\r\n<link rel=\"stylesheet\" type=\"text/css\" "
                "href=\"korvu.css\">\r\n</head>\r\n<body>\r\n<h1>" +
                title + "</h1>\r\n";
        int paragraphs = 2 + (int)r.Below(5);
        for (int p = 0; p < paragraphs; p++) {
            html += "<p>";
            int sentences = 1 + (int)r.Below(5);
            for (int s = 0; s < sentences; s++)
                html += Sentence(r) + " ";
            html += "</p>\r\n";
            if (r.Below(3) == 0) {
                html += "<ul>\r\n";
                int items = 2 + (int)r.Below(5);
                for (int i = 0; i < items; i++) {
                    char href[64];
                    snprintf(href, sizeof href, "topic%03u.htm", r.Below(160));
                    html += std::string("  <li><a href=\"") + href + "\">" + Sentence(r) +
                            "</a></li>\r\n";
                }
                html += "</ul>\r\n";
            }
        }
        html += "<p class=\"footer\">Copyright &copy; Korvu Oy. All rights reserved.</p>\r\n"
                "</body>\r\n</html>\r\n";
    }
    return std::vector<unsigned char>(html.begin(), html.end());
}

void Put(std::vector<unsigned char> &b, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        b.push_back((unsigned char)(v >> (8 * i)));
}

// 128-byte records: id, date, account, amount, counter-account, voucher,
// description padded with spaces, flags, zero padding; sorted by date.
std::vector<unsigned char> LedgerDatabase()
{
    Random r = {2026};
    std::vector<unsigned char> db;
    const char *accounts[] = {"1910", "1930", "2440", "2610", "2640", "3001",
                              "3041", "4010", "5010", "5410", "6071", "6110",
                              "6212", "6570", "7010", "7510", "8310", "8410"};
    uint32_t date = 20240101;
    for (uint32_t id = 1; id <= 8192; id++) {
        if (r.Below(12) == 0)
            date++;
        size_t start = db.size();
        Put(db, id, 4);
        Put(db, date, 4);
        const char *acc = accounts[r.Below(18)];
        db.insert(db.end(), acc, acc + 4);
        int64_t cents = (int64_t)r.Below(r.Below(4) == 0 ? 10000000 : 100000);
        Put(db, (uint64_t)(r.Below(2) ? cents : -cents), 8);
        const char *counter = accounts[r.Below(18)];
        db.insert(db.end(), counter, counter + 4);
        Put(db, 100000 + id / 3, 4);
        std::string text = Sentence(r).substr(0, 60);
        text.resize(64, ' ');
        db.insert(db.end(), text.begin(), text.end());
        Put(db, r.Below(4) == 0 ? 0x0101 : 0x0001, 2);
        db.resize(start + 128, 0);
    }
    return db;
}

} // namespace

namespace {

struct Wanted {
    const char *klass;
    const char *path; // a .gz is read through gunzip
};

// Wine's PE files live under one of these, depending on the Debian release
// and on which of wine32 and wine64 is installed.
const char *const kWineDirs[] = {
    "/usr/lib/i386-linux-gnu/wine/i386-windows/",
    "/usr/lib/wine/i386-windows/",
    "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/",
    "/usr/lib/wine/x86_64-windows/",
};
const char *const kWinePe[] = {"kernel32.dll", "comdlg32.dll", "shlwapi.dll", "gdi32.dll",
                               "msvcrt.dll",   "notepad.exe",  "regedit.exe", "cmd.exe"};

const Wanted kOthers[] = {
    {"text", "/usr/share/man/man1/bash.1.gz"},
    {"text", "/usr/share/man/man1/ld.bfd.1.gz"},
    {"text", "/usr/share/man/man1/find.1.gz"},
    {"text", "/usr/share/man/man1/tar.1.gz"},
    {"text", "/usr/share/man/man1/grep.1.gz"},
    {"text", "/usr/share/man/man1/cmake.1.gz"},
    {"text", "/usr/share/man/man1/make.1.gz"},
    {"text", "/usr/share/common-licenses/GPL-3"},
    {"text", "/usr/share/wine/wine.inf"},
    {"HTML", "/usr/share/doc/gcc-12-base/NEWS.html"},
    {"HTML", "/usr/share/doc/zlib1g-dev/examples/zlib_how.html"},
    {"HTML", "/usr/share/doc/ninja-build/manual.html"},
    {"HTML", "/usr/share/doc/nettle-dev/nettle.html"},
    {"HTML", "/usr/share/doc/python3/python-policy.html"},
#ifdef KORVU_BENCH_LEDGER
    {"records", KORVU_BENCH_LEDGER},
#endif
};

std::string BaseName(const std::string &path)
{
    std::string n = path.substr(path.rfind('/') + 1);
    if (n.size() > 3 && n.compare(n.size() - 3, 3, ".gz") == 0)
        n.resize(n.size() - 3);
    return n;
}

bool Load(const char *klass, const std::string &path, std::vector<CorpusFile> *corpus)
{
    CorpusFile c = {klass, BaseName(path), path, {}};
    bool gz = path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
    if (!(gz ? ReadGzip(path, &c.data) : ReadFile(path, &c.data)) || c.data.empty())
        return false;
    corpus->push_back(c);
    return true;
}

} // namespace

std::vector<CorpusFile> LoadCorpus()
{
    std::vector<CorpusFile> corpus;
    bool wine_arch[2] = {false, false}; // i386, x86_64 found
    for (size_t d = 0; d < sizeof kWineDirs / sizeof kWineDirs[0]; d++) {
        int arch = d < 2 ? 0 : 1;
        if (wine_arch[arch])
            continue;
        for (const char *name : kWinePe) {
            std::string path = std::string(kWineDirs[d]) + name;
            if (Load("PE", path, &corpus)) {
                corpus.back().name = (arch ? "x64/" : "x86/") + corpus.back().name;
                wine_arch[arch] = true;
            }
        }
    }
    if (!wine_arch[0])
        fprintf(stderr, "korvu_bench: no i386 Wine PE files (wine32) found, left out\n");
    if (!wine_arch[1])
        fprintf(stderr, "korvu_bench: no x86_64 Wine PE files (wine64) found, left out\n");
#ifndef KORVU_BENCH_LEDGER
    fprintf(stderr, "korvu_bench: built without python3, so no sample ledger: records left out\n");
#endif
    for (const Wanted &w : kOthers)
        if (!Load(w.klass, w.path, &corpus))
            fprintf(stderr, "korvu_bench: %s missing, left out\n", w.path);
    corpus.push_back(CorpusFile{"generated", "help.htm", "generated HTML help", HelpBook()});
    corpus.push_back(CorpusFile{"generated", "ledger.dat", "generated records", LedgerDatabase()});
    for (const char *k : kCorpusClasses) {
        bool any = false;
        for (const CorpusFile &f : corpus)
            any = any || f.klass == k;
        if (!any)
            fprintf(stderr, "korvu_bench: class %s has no files, left out of the table\n", k);
    }
    return corpus;
}
