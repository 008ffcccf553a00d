// The files of a payload: gathered from a folder or a list of files, checked
// against what the installer can create, and written as a container. pack
// and build share all of it.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "mcfformat.h"
#include "names.h"

struct InputFile {
    std::string path;      // where it is read from
    std::string name;      // its name, as the build machine spells it (UTF-8)
    std::string ansi_name; // its name in the target code page, as stored
    uint64_t size;         // at gathering time
};

// The files to pack. One operand that is a folder means every entry directly
// in it (sorted by name, so that a build is reproducible); otherwise every
// operand is a file, in the order given. Everything the installer could not
// create is refused: false with one line in *refusals per offending file,
// naming it and the reason, or one line when there are no files at all.
bool GatherInputs(const std::vector<std::string> &operands, const CodePage &cp,
                  std::vector<InputFile> *files, std::vector<std::string> *refusals);

// Receives the container as it is written; false stops the writing (with
// errno telling why).
typedef std::function<bool(const unsigned char *data, size_t size)> ByteSink;

// Writes the container of `files` to `sink`: magic, then one record per file,
// each stream parsed optimally (with --best: the smallest of every header).
// False with *why when a file cannot be read, has changed size since it was
// gathered, the container would pass 4 GB, or the sink fails.
bool WriteContainer(const std::vector<InputFile> &files, bool best, const ByteSink &sink,
                    std::string *why);

// Bytes whose length must be known before they are copied out (a stream
// before its record header, a container before its PE file): held in memory
// up to 2 MiB, then in an unnamed temporary file.
class SpillBuffer {
public:
    SpillBuffer() {}
    ~SpillBuffer();
    SpillBuffer(const SpillBuffer &) = delete;
    SpillBuffer &operator=(const SpillBuffer &) = delete;
    bool Append(const unsigned char *data, size_t size);
    uint64_t size() const { return size_; }
    // Hands everything to sink, in order; false with *why.
    bool CopyTo(const ByteSink &sink, std::string *why);

private:
    static const size_t kMemoryLimit = 2u << 20;
    Bytes memory_;
    FILE *file_ = nullptr;
    uint64_t size_ = 0;
};
