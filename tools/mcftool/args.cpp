// The command line: the usage text, the version, and the options the
// commands share.
#include "args.h"

#include <stdio.h>

#include "message.h"
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
    "  build --stub STUB.exe [--best] [--codepage CP] [--sign CMD] [-f|--force]\n"
    "        OUT.exe (DIR | FILE...)\n"
    "                      write a setup.exe installing every file directly in DIR\n"
    "                      (or the FILEs), made from the built setup.exe STUB.exe;\n"
    "                      --sign: /bin/sh -c CMD signs the uninstaller, then OUT.exe,\n"
    "                      each as $1, in place\n"
    "  list [--codepage CP] IN       names, sizes, ratio, CRC and header of every record\n"
    "  verify [--codepage CP] IN     decode every record, check its CRC, length and name\n"
    "  extract [-f] [--codepage CP] IN DIR  write every record's file into DIR, checked\n"
    "  checkvalue [-f] IN.mcf [UNINST.mcf] OUT  write the check value (length and\n"
    "                      CRC-32 of IN.mcf, then of UNINST.mcf: 8 or 16 bytes), the\n"
    "                      CMPFILE resource 122 of a setup.exe\n"
    "  --version, --help\n"
    "IN of list, verify and extract is a container or a built setup.exe. CP is the\n"
    "Windows ANSI code page of the names on the target (default 1252); names are\n"
    "UTF-8 on this side. An existing output file is replaced only with -f (--force);\n"
    "a folder, a symbolic link or a special file never is. Outputs appear only when\n"
    "complete and checked.\n"
    "Exit status: 0 done; 1 unreadable input, damaged data (also list) or unwritable\n"
    "output; 2 misuse; explode: 11 bad window size, 12 bad literal mode, 13 input of\n"
    "4 bytes or fewer, 14 input ended before the end of the stream.\n";

const char kVersion[] = "mcftool 7.2 (Korvu ark 7.2 Setup release tool)\n";

int Usage()
{
    fputs(kUsage, stderr);
    return kExitUsage;
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
                Say("--codepage needs a code page number, such as 1252");
                return -1;
            }
            i++;
        } else if ((allowed & OPT_STUB) && opt == "--stub") {
            if (i + 1 >= argc) {
                Say("--stub needs a file, a built setup.exe");
                return -1;
            }
            options->stub = argv[++i];
        } else if ((allowed & OPT_SIGN) && opt == "--sign") {
            if (i + 1 >= argc || argv[i + 1][0] == 0) {
                Say("--sign needs a command, which signs the file $1 in place");
                return -1;
            }
            options->sign = argv[++i];
        } else if ((allowed & OPT_HEADER) && (opt == "--text" || opt == "--binary")) {
            options->header.literal_mode = opt == "--text" ? IMPLODE_TEXT : IMPLODE_BINARY;
        } else if ((allowed & OPT_HEADER) && opt == "--dict") {
            std::string v = i + 1 < argc ? argv[++i] : "";
            int bits = v == "1024" ? 4 : v == "2048" ? 5 : v == "4096" ? 6 : 0;
            if (!bits) {
                Say("--dict takes 1024, 2048 or 4096");
                return -1;
            }
            options->header.dictionary_bits = bits;
        } else {
            Say(std::string("unknown option ") + argv[i]);
            return -1;
        }
    }
    return i;
}

bool ParseCommand(int argc, char **argv, unsigned allowed, int min, int max, CommandLine *c)
{
    c->first = ParseOptions(argc, argv, allowed, &c->opt);
    if (c->first < 0 || argc - c->first < min || argc - c->first > max) {
        c->status = Usage();
        return false;
    }
    std::string why;
    if (!c->cp.Open(c->opt.codepage, &why)) {
        c->status = Fail(why);
        return false;
    }
    return true;
}
