// The commands of mcftool and what they share: the usage text, exit
// statuses, messages and the progress display. main.cpp dispatches to them.
#pragma once
#include <stdint.h>

#include <functional>
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
int CmdCheckValue(int argc, char **argv);

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
    OPT_HEADER = 16,  // --text, --binary, --dict 1024|2048|4096: the stream's header
};
struct Options {
    bool force = false;
    bool best = false;
    int codepage = 1252;
    std::string stub;
    ImplodeHeader header = kDefaultHeader;
};
// Parses the options `allowed` lets through from the front of argv. Returns
// the index of the first operand, or -1 after printing what is wrong (a
// usage error).
int ParseOptions(int argc, char **argv, unsigned allowed, Options *options);

class CodePage;
// ParseOptions, a check that min to max operands follow, and the code page
// the options name opened into *cp. The index of the first operand, or -1
// when the command is to end with *status (after the usage or a message).
int ParseCommand(int argc, char **argv, unsigned allowed, int min, int max, Options *options,
                 CodePage *cp, int *status);

extern const char kVersion[];

// Progress on standard error when it is a terminal, for runs that take more
// than about a second: the current file's share and, over several files,
// the whole run's. Nothing is shown otherwise.
class Progress {
public:
    // total_bytes: of every file the run reads; files: how many.
    Progress(uint64_t total_bytes, unsigned files);
    ~Progress();
    // A new file: its label (name and, with --best, the pass) and size.
    void StartFile(const std::string &label, uint64_t size);
    // Bytes of the current file read so far.
    void Update(uint64_t done);
    // Clears the line (before a message or at the end).
    void Clear();

private:
    bool enabled_;
    double start_;
    uint64_t total_, before_, size_, done_;
    unsigned files_, index_;
    std::string label_;
    int shown_; // last permille shown, -1 none
    size_t width_;
};

// Reads a whole file or standard input ("-") in pieces, handing each to
// `piece`; false with *why (not naming the file) on a read error or when
// it grows past `limit` bytes. A path that is neither "-" nor a regular
// file is refused before any read (as gzip does), so that a device such as
// /dev/zero fails at once.
bool ReadPieces(const std::string &path, uint64_t limit,
                const std::function<void(const unsigned char *, size_t)> &piece,
                std::string *why, uint64_t *size = nullptr);
// Size of a regular file, or refuses with *why what is not one.
bool RegularFileSize(const std::string &path, uint64_t *size, std::string *why);
