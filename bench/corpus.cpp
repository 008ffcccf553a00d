// Corpus: three of Wine's i386 PE DLLs, Wine's setup information file and a
// licence text from the system, and two files generated here the same way
// every time: an HTML help book and a database-like binary of fixed-size
// accounting records.
#include "corpus.h"

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace {

const char kWineDlls[] = "/usr/lib/i386-linux-gnu/wine/i386-windows/";

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
    "account", "ledger", "entry", "balance", "invoice", "customer", "supplier", "period",
    "journal", "posting", "tax", "amount", "report", "the", "a", "of", "to", "and", "is",
    "in", "for", "you", "can", "select", "click", "dialog", "button", "field", "menu",
    "Korvu", "year", "closing", "opening", "budget", "cost", "centre", "voucher", "date",
    "number", "open", "print", "total", "debit", "credit", "VAT", "settings", "window",
    "when", "with", "from", "this", "shows", "each", "new", "list", "value", "file"};
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
                title + "</title>\r\n<link rel=\"stylesheet\" type=\"text/css\" "
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
    const char *accounts[] = {"1910", "1930", "2440", "2610", "2640", "3001", "3041",
                              "4010", "5010", "5410", "6071", "6110", "6212", "6570",
                              "7010", "7510", "8310", "8410"};
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

std::vector<CorpusFile> LoadCorpus()
{
    std::vector<CorpusFile> corpus;
    struct {
        const char *name;
        std::string path;
    } system_files[] = {
        {"kernel32.dll", std::string(kWineDlls) + "kernel32.dll"},
        {"comdlg32.dll", std::string(kWineDlls) + "comdlg32.dll"},
        {"shlwapi.dll", std::string(kWineDlls) + "shlwapi.dll"},
        {"wine.inf", "/usr/share/wine/wine.inf"},
        {"GPL-3", "/usr/share/common-licenses/GPL-3"},
    };
    for (auto &f : system_files) {
        CorpusFile c = {f.name, f.path, {}};
        if (ReadFile(f.path, &c.data))
            corpus.push_back(c);
        else
            fprintf(stderr, "korvu_bench: %s missing, left out\n", f.path.c_str());
    }
    corpus.push_back(CorpusFile{"help.htm", "generated HTML help", HelpBook()});
    corpus.push_back(CorpusFile{"ledger.dat", "generated records", LedgerDatabase()});
    return corpus;
}
