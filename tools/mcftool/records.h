// Reading a container for list, verify and extract: the container itself or
// the one inside a built setup.exe, walked record by record, each decoded and
// checked.
#pragma once
#include <functional>
#include <string>

#include "container.h"
#include "mcfio.h"
#include "names.h"

struct Opened {
    Bytes file;
    McfReader reader;
};

// Reads path and finds the container in it. Sets *why on failure.
bool OpenContainer(const char *path, Opened *o, std::string *why);

// One record checked: decoded, CRC compared, stream used to its last byte.
// Empty when sound, else what is wrong.
std::string CheckRecord(const McfRecord &r, const unsigned char *stream, DecodedStream *d);

// Hands every record of the opened container, decoded and checked, to
// `visit` in order; a visit that returns a status other than -1 ends the
// walk with it. A damaged container after the last good record is reported
// here; -1 means the walk reached the end.
typedef std::function<int(const McfRecord &, const unsigned char *, const DecodedStream &,
                          const std::string &problem)>
    RecordVisit;

int WalkRecords(const char *path, McfReader *reader, const RecordVisit &visit);
inline int WalkRecords(const char *path, Opened *o, const RecordVisit &visit)
{
    return WalkRecords(path, &o->reader, visit);
}

// A record's name as the build machine spells it: converted from the code
// page to UTF-8, or its bytes made printable when it does not convert.
std::string LocalName(const char *ansi, const CodePage &cp);

// Everything verify checks, on the container at `reader`: every record
// decoded and checked, every name by the rules the installer needs (and no
// two names one file on Windows). Each problem goes to standard error as one
// line starting with `label`. Returns -1 when all is sound (and sets *files),
// else the exit status.
int VerifyContainer(const char *label, McfReader reader, const CodePage &cp, unsigned *files);
