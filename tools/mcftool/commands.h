// The commands of mcftool, each in its cmd_<name>.cpp; main.cpp dispatches
// to them. They alone turn results into messages and exit statuses.
#pragma once
#include <string>
#include <vector>

#include "args.h"
#include "input.h"
#include "message.h"
#include "progress.h"

// Each command gets the arguments after its own name.
int CmdImplode(int argc, char **argv);
int CmdExplode(int argc, char **argv);
int CmdPack(int argc, char **argv);
int CmdBuild(int argc, char **argv);
int CmdList(int argc, char **argv);
int CmdVerify(int argc, char **argv);
int CmdExtract(int argc, char **argv);
int CmdCheckValue(int argc, char **argv);

struct Verified;
// What verify found, as verify and build report it: every problem, then
// why the container could not be read to its end or how many files are
// affected. 0 when all is sound, else kExitFailure.
int ReportVerified(bool read, const Verified &verified, const std::string &why);

// For list, verify and build of a built setup.exe at path: says on standard
// output whether it carries a check value and whether the payload matches
// it (`say` false: only the message of a mismatch). 0, or kExitFailure after
// the message.
int ReportCheckValue(const char *path, bool say = true);

struct InputFile;
// The command line of pack and build (build: with OPT_STUB, which it must
// name): the options, OUT and the inputs, and everything they refuse
// before anything is read or written: an output they may not replace,
// inputs the installer cannot take. False when the command is to end with
// c->status, after the messages.
bool ParsePackCommand(int argc, char **argv, unsigned allowed, CommandLine *c,
                      std::string *out_path, std::vector<InputFile> *files);
