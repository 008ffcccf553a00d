// The commands of mcftool, each in its cmd_<name>.cpp; main.cpp dispatches
// to them. They alone turn results into messages and exit statuses.
#pragma once
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

struct Verified;
// What verify found, as verify and build report it: every problem, then
// why the container could not be read to its end or how many files are
// affected. 0 when all is sound, else kExitFailure.
int ReportVerified(bool read, const Verified &verified, const std::string &why);
