// Reading a container for list, verify and extract: the container itself or
// the one inside a built setup.exe, walked record by record, each decoded and
// checked.
#pragma once
#include <functional>
#include <string>

#include "container.h"
#include "mcfio.h"

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

int WalkRecords(const char *path, Opened *o, const RecordVisit &visit);
