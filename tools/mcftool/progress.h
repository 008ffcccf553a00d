// The progress display of mcftool.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

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
