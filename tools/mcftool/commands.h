// The commands of mcftool and what they share: the usage text, exit
// statuses, messages and the progress display. main.cpp dispatches to them.
#pragma once
#include <string>

#include "encoder.h"
#include "mcfio.h"

// Each command gets the arguments after its own name.
int CmdImplode(int argc, char **argv);
int CmdExplode(int argc, char **argv);
int CmdPack(int argc, char **argv);
int CmdBuild(int argc, char **argv);
int CmdList(int argc, char **argv);
int CmdVerify(int argc, char **argv);
int CmdExtract(int argc, char **argv);

extern const char kUsage[];
const int kExitFailure = 1;
const int kExitUsage = 2;

// Prints the usage on standard error and returns kExitUsage.
int Usage();
// Prints "mcftool: what" on standard error and returns kExitFailure.
int Fail(const std::string &what);
std::string CannotRead(const std::string &path);
std::string CannotWrite(const std::string &path);

// The options the commands share. They go after the command name and before
// the operands; "--" ends them, so an operand may start with a dash.
enum {
    OPT_FORCE = 1,    // -f, --force: replace an existing output
    OPT_BEST = 2,     // --best: try every header per file
    OPT_CODEPAGE = 4, // --codepage N: the target's ANSI code page
    OPT_STUB = 8,     // --stub FILE: the setup.exe to build on
};
struct Options {
    bool force = false;
    bool best = false;
    int codepage = 1252;
    std::string stub;
};
// Parses the options `allowed` lets through from the front of argv. Returns
// the index of the first operand, or -1 after printing what is wrong (a
// usage error).
int ParseOptions(int argc, char **argv, unsigned allowed, Options *options);

// One implode stream of data with progress on a terminal for large inputs.
Bytes Encode(const Bytes &data, ImplodeHeader header, const std::string &label);
