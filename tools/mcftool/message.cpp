// Messages on standard error, all of them "mcftool: " and what happened.
#include "message.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

int Fail(const std::string &what)
{
    Say(what);
    return kExitFailure;
}

int FailLines(const std::vector<std::string> &lines)
{
    for (const std::string &line : lines)
        Say(line);
    return kExitFailure;
}

void Say(const std::string &what)
{
    fprintf(stderr, "mcftool: %s\n", what.c_str());
}

std::string CannotRead(const std::string &path)
{
    return "cannot read " + path + ": " + strerror(errno);
}

std::string CannotWrite(const std::string &path)
{
    return "cannot write " + path + ": " + strerror(errno);
}
