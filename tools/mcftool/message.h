// Messages and exit statuses. Only the commands (cmd_*.cpp) print: the
// code below them returns success and a reason, which a command turns into
// a message here and an exit status.
#pragma once
#include <string>
#include <vector>

const int kExitFailure = 1;
const int kExitUsage = 2;

// Prints "mcftool: what" on standard error and returns kExitFailure.
int Fail(const std::string &what);
// Each line as Fail prints it; returns kExitFailure.
int FailLines(const std::vector<std::string> &lines);
// The same, for a line that does not end the command.
void Say(const std::string &what);
std::string CannotRead(const std::string &path);
std::string CannotWrite(const std::string &path);
