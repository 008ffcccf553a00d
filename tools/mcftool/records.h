// Reading a container for list, verify and extract: the container itself or
// the one inside a built setup.exe, streamed record by record, each decoded
// once and checked.
#pragma once
#include <string>

#include "container.h"
#include "mcfio.h"
#include "mcfstream.h"
#include "names.h"

// Walks every record of the container in `path` (opened as
// OpenContainerFile does). Returns -1 when the walk reached the end, else
// the exit status: the visitor's, or 1 after a message naming path when the
// file cannot be opened or the container is damaged.
int WalkRecords(const char *path, const RecordVisitor &visit);

// A record's name as the build machine spells it: converted from the code
// page to UTF-8, or its bytes made printable when it does not convert.
std::string LocalName(const char *ansi, const CodePage &cp);

// Everything verify checks, on the records that follow the magic in src
// (`size` bytes, or kUnknownSize): every record decoded and checked, every
// name by the rules the installer needs (and no two names one file on
// Windows). Each problem goes to standard error as one line starting with
// `label`. Returns -1 when all is sound (and sets *files), else the exit
// status.
int VerifyContainer(const char *label, ByteSource &src, uint64_t size, const CodePage &cp,
                    unsigned *files);
// The same for a container file or a built setup.exe at path.
int VerifyContainerFile(const char *path, const CodePage &cp, unsigned *files);
