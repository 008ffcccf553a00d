// Reading a container for list, verify and extract: the container itself or
// the one inside a built setup.exe, streamed record by record, each decoded
// once and checked. Nothing here prints but the progress line: results and
// reasons go back to the command.
#pragma once
#include <string>
#include <vector>

#include "container.h"
#include "mcfstream.h"
#include "names.h"

// Walks every record of the container in `path` (opened as
// OpenContainerFile does) to its end or until the visitor stops it. False
// with *why (naming path) when the file cannot be opened or the container
// is damaged.
bool WalkRecords(const char *path, const RecordVisitor &visit, std::string *why);

// A record's name as the build machine spells it: converted from the code
// page to UTF-8, or its bytes made printable when it does not convert.
std::string LocalName(const char *ansi, const CodePage &cp);

// What verify found in a container that could be read to its end.
struct Verified {
    std::string label; // the path verified
    unsigned files = 0;
    // One line per problem, "path: name: what": a record that does not
    // decode or check, a name the installer cannot create (or two names
    // that are one file on Windows).
    std::vector<std::string> problems;
};

// Everything verify checks, on the container file or built setup.exe at
// path. False with *why when it cannot be read to its end; v->problems
// then holds what was found before that.
bool VerifyContainerFile(const char *path, const CodePage &cp, Verified *v, std::string *why);
