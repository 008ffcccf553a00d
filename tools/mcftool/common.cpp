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
    "usage: mcftool COMMAND ARGS...\n"
    "  implode [--text|--binary] [--dict 1024|2048|4096] IN OUT\n"
    "                      encode IN as one implode stream (default: binary, 4096)\n"
    "  explode IN OUT      decode one implode stream; on a decoder error OUT holds\n"
    "                      what was decoded and the exit status is 10 + the result\n"
    "  pack [--best] [--codepage CP] OUT.mcf FILE...\n"
    "                      write a payload container, one record per FILE named by\n"
    "                      its base name; --best tries every header per file\n"
    "  build --stub STUB.exe [--best] [--codepage CP] [-f|--force] OUT.exe (DIR | FILE...)\n"
    "                      write a setup.exe installing every file directly in DIR\n"
    "                      (or the FILEs), made from the built setup.exe STUB.exe\n"
    "  list [--codepage CP] IN       names, sizes, ratio, CRC and header of every record\n"
    "  verify [--codepage CP] IN     decode every record, check its CRC, length and name\n"
    "  extract [--codepage CP] IN DIR  write every record's file into DIR, checked\n"
    "IN of list, verify and extract is a container or a built setup.exe. CP is the\n"
    "Windows ANSI code page of the names on the target (default 1252); names are\n"
    "UTF-8 on this side.\n"
    "Exit status: 0 done, 1 unreadable input, corrupt data or unwritable output,\n"
    "2 misuse, 11-14 explode's decoder error.\n";

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
        } else {
            fprintf(stderr, "mcftool: unknown option %s\n", argv[i]);
            return -1;
        }
    }
    return i;
}

namespace {

// Progress for inputs large enough to make one wait, and only on a terminal.
struct Progress {
    const char *label;
    int last_percent;
};

void ShowProgress(size_t done, size_t total, void *param)
{
    Progress *p = (Progress *)param;
    int percent = total ? (int)(done * 100 / total) : 100;
    if (percent != p->last_percent) {
        fprintf(stderr, "\r%s: %3d%%", p->label, percent);
        if (percent == 100)
            fputc('\n', stderr);
        p->last_percent = percent;
    }
}

} // namespace

Bytes Encode(const Bytes &data, ImplodeHeader header, const std::string &label)
{
    const size_t kLarge = 4u << 20;
    Progress p = {label.c_str(), -1};
    bool show = data.size() >= kLarge && isatty(2);
    Bytes stream = ImplodeOptimal(data.data(), data.size(), header,
                                  show ? ShowProgress : nullptr, &p);
    if (show && p.last_percent != 100)
        ShowProgress(1, 1, &p);
    return stream;
}
