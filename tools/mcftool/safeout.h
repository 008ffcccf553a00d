// Output files that are either complete or not there: written to a
// temporary file in the target's folder and renamed over the target only
// when complete and synced. On any failure, on destruction without Commit,
// and on SIGINT, SIGTERM or SIGHUP, the temporary file is removed and
// whatever stood at the target is unchanged.
#pragma once
#include <stddef.h>
#include <stdio.h>

#include <string>

class SafeOutputFile {
public:
    SafeOutputFile();
    ~SafeOutputFile(); // Abort() unless committed
    SafeOutputFile(const SafeOutputFile &) = delete;
    SafeOutputFile &operator=(const SafeOutputFile &) = delete;

    // Refuses a target that exists unless `force` (then only a regular
    // file is replaced: a folder, a symbolic link or a special file never
    // is), then creates the temporary file (O_EXCL, mode 0666 less the
    // umask). False with *why naming the file.
    bool Open(const std::string &target, bool force, std::string *why);

    // The temporary file, for writers that want a FILE*; null when not open.
    FILE *file() { return file_; }
    // Writes size bytes; false with *why (the file stays open for Abort).
    bool Write(const void *data, size_t size, std::string *why);

    // Flushes and closes the temporary file and opens what is then at its
    // name again (read and write, at its end): a program that changed it
    // meanwhile may have put a new file there. False with *why.
    bool Reopen(std::string *why);

    // Flushes, syncs and closes the temporary file, checking every step,
    // and renames it over the target. False with *why, the temporary file
    // removed and the target unchanged, when any step fails.
    bool Commit(std::string *why);

    // Closes and removes the temporary file; the target stays as it was.
    void Abort();

    const std::string &target() const { return target_; }
    const std::string &temp_path() const { return temp_; }

private:
    std::string target_;
    std::string temp_;
    bool force_;
    FILE *file_;
    int slot_; // in the registry the signal handler cleans up
};

// Why an existing file at `target` must not be replaced, or empty when
// nothing is there or force allows it.
std::string OutputTargetProblem(const std::string &target, bool force);

// An output operand: standard output for "-", else a SafeOutputFile.
class OutputTarget {
public:
    // Opens the safe output file (see SafeOutputFile::Open); nothing to do
    // for standard output.
    bool Open(const std::string &path, bool force, std::string *why);
    FILE *file() { return stdout_ ? stdout : file_.file(); }
    bool is_stdout() const { return stdout_; }
    // "standard output" or the path, for messages.
    const std::string &name() const { return name_; }
    // Standard output flushed and checked, or the file committed. False
    // with *why.
    bool Finish(std::string *why);

private:
    SafeOutputFile file_;
    bool stdout_ = false;
    std::string name_;
};
