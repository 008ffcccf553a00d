// The command line of mcftool: usage, version and the options the commands
// share.
#pragma once
#include <string>

#include "encoder.h"
#include "names.h"

extern const char kUsage[];
extern const char kVersion[];

// Prints the usage on standard error and returns kExitUsage.
int Usage();

// The options the commands share. They go after the command name and before
// the operands; "--" ends them, so an operand may start with a dash.
enum {
    OPT_FORCE = 1,    // -f, --force: replace an existing output
    OPT_BEST = 2,     // --best: try every header per file
    OPT_CODEPAGE = 4, // --codepage N: the target's ANSI code page
    OPT_STUB = 8,     // --stub FILE: the setup.exe to build on
    OPT_HEADER = 16,  // --text, --binary, --dict 1024|2048|4096: the stream's header
    OPT_SIGN = 32,    // --sign CMD: the command that signs a file ($1) in place
};
struct Options {
    bool force = false;
    bool best = false;
    int codepage = 1252;
    std::string stub;
    std::string sign; // empty: nothing is signed
    ImplodeHeader header = kDefaultHeader;
};
// Parses the options `allowed` lets through from the front of argv. Returns
// the index of the first operand, or -1 after printing what is wrong (a
// usage error).
int ParseOptions(int argc, char **argv, unsigned allowed, Options *options);

// What a command's arguments say.
struct CommandLine {
    Options opt;
    CodePage cp;    // the one opt names, opened
    int first = 0;  // index of the first operand
    int status = 0; // when parsing ends the command: its exit status
};
// ParseOptions, a check that min to max operands follow, and the code page
// the options name opened. False when the command is to end with
// c->status (after the usage or a message).
bool ParseCommand(int argc, char **argv, unsigned allowed, int min, int max, CommandLine *c);
