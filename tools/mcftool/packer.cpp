// Gathering and writing a payload. Every input is checked before the first
// byte is encoded, so that a refusal costs no encoding time and writes nothing.
#include "packer.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "container.h"
#include "crc32.h"
#include "encoder.h"
#include "input.h"
#include "mcfwrite.h"
#include "progress.h"

namespace {

// Why the installer could not create this entry as a file, or empty.
std::string EntryProblem(const std::string &path, uint64_t *size)
{
    struct stat link, st;
    if (lstat(path.c_str(), &link) != 0)
        return "cannot be read: " + std::string(strerror(errno));
    if (stat(path.c_str(), &st) != 0)
        return S_ISLNK(link.st_mode) ? "is a symbolic link to nothing"
                                     : "cannot be read: " + std::string(strerror(errno));
    bool via_link = S_ISLNK(link.st_mode);
    if (S_ISDIR(st.st_mode))
        return via_link ? "is a symbolic link to a folder; the installer creates no folders"
                        : "is a folder; the installer creates no folders";
    if (!S_ISREG(st.st_mode))
        return via_link ? "is a symbolic link to a special file, not a regular file"
                        : "is a special file, not a regular file";
    if ((uint64_t)st.st_size > kMaxFormatSize)
        return "is larger than 4 GB, the most a container can hold";
    *size = (uint64_t)st.st_size;
    return std::string();
}

// One line of a refusal: the entry, then why.
std::string Refusal(const std::string &path, const std::string &why)
{
    return Printable(path) + ": " + why;
}

// The entries directly in folder `dir`, sorted by name so that a build is
// reproducible; false with one refusal line.
bool ListFolder(const std::string &dir, std::vector<std::string> *paths,
                std::vector<std::string> *names, std::vector<std::string> *refusals)
{
    DIR *d = opendir(dir.c_str());
    if (!d) {
        refusals->push_back(Refusal(dir, "cannot be read: " + std::string(strerror(errno))));
        return false;
    }
    errno = 0;
    while (struct dirent *e = readdir(d)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
            continue;
        names->push_back(e->d_name);
        errno = 0;
    }
    int read_error = errno;
    closedir(d);
    if (read_error) {
        refusals->push_back(Refusal(dir, std::string("cannot be read: ") + strerror(read_error)));
        return false;
    }
    std::sort(names->begin(), names->end());
    std::string prefix = dir.back() == '/' ? dir : dir + "/";
    for (const std::string &n : *names)
        paths->push_back(prefix + n);
    if (names->empty()) {
        refusals->push_back(
            Refusal(dir, "is empty; an installer with nothing to install is not built"));
        return false;
    }
    return true;
}

// Every operand a file, named by its last component, in the order given.
bool ListOperands(const std::vector<std::string> &operands, std::vector<std::string> *paths,
                  std::vector<std::string> *names, std::vector<std::string> *refusals)
{
    for (const std::string &p : operands) {
        paths->push_back(p);
        size_t cut = p.find_last_of('/');
        names->push_back(cut == std::string::npos ? p : p.substr(cut + 1));
    }
    if (operands.empty()) {
        refusals->push_back("no files; an installer with nothing to install is not built");
        return false;
    }
    return true;
}

} // namespace

bool GatherInputs(const std::vector<std::string> &operands, const CodePage &cp,
                  std::vector<InputFile> *files, std::vector<std::string> *refusals)
{
    files->clear();
    refusals->clear();
    std::vector<std::string> paths, names;
    struct stat st;
    bool listed = operands.size() == 1 && stat(operands[0].c_str(), &st) == 0 && S_ISDIR(st.st_mode)
                      ? ListFolder(operands[0], &paths, &names, refusals)
                      : ListOperands(operands, &paths, &names, refusals);
    if (!listed)
        return false;

    std::vector<CheckedName> checked = CheckUtf8Names(names, cp);
    bool ok = true;
    for (size_t i = 0; i < paths.size(); i++) {
        InputFile f;
        f.path = paths[i];
        f.name = names[i];
        f.ansi_name = checked[i].ansi;
        f.size = 0;
        std::vector<std::string> reasons;
        std::string entry = EntryProblem(paths[i], &f.size);
        if (!entry.empty())
            reasons.push_back(entry);
        reasons.insert(reasons.end(), checked[i].reasons.begin(), checked[i].reasons.end());
        if (!reasons.empty()) {
            refusals->push_back(Refusal(paths[i], "cannot be packed: " + JoinReasons(reasons)));
            ok = false;
        }
        files->push_back(f);
    }
    return ok;
}

SpillBuffer::~SpillBuffer()
{
    if (file_)
        fclose(file_);
}

bool SpillBuffer::Append(const unsigned char *data, size_t size)
{
    size_ += size;
    if (!file_ && memory_.size() + size <= kMemoryLimit) {
        memory_.insert(memory_.end(), data, data + size);
        return true;
    }
    if (!file_) {
        file_ = tmpfile();
        if (!file_ || (!memory_.empty() &&
                       fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size()))
            return false;
        Bytes().swap(memory_);
    }
    return fwrite(data, 1, size, file_) == size;
}

static bool SpillFailed(std::string *why, const char *what)
{
    *why = std::string("cannot ") + what + ": " + strerror(errno);
    return false;
}

bool SpillBuffer::CopyTo(const ByteSink &sink, std::string *why)
{
    if (!file_)
        return sink(memory_.data(), memory_.size()) || SpillFailed(why, "write the container");
    if (fflush(file_) != 0 || fseek(file_, 0, SEEK_SET) != 0)
        return SpillFailed(why, "read back a temporary file");
    unsigned char buffer[1 << 16];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file_)) > 0)
        if (!sink(buffer, n))
            return SpillFailed(why, "write the container");
    return !ferror(file_) || SpillFailed(why, "read back a temporary file");
}

namespace {

// --best tries every header at once, so that each file is read once.
const ImplodeHeader kAllHeaders[] = {kDefaultHeader,    {IMPLODE_BINARY, 4}, {IMPLODE_BINARY, 5},
                                     {IMPLODE_TEXT, 4}, {IMPLODE_TEXT, 5},   {IMPLODE_TEXT, 6}};

// One file encoded under each header tried, each stream held until the
// smallest is known.
struct EncodedFile {
    std::vector<std::unique_ptr<SpillBuffer>> streams;
    uint32_t crc = 0; // as stored: 0 for an empty file
    uint64_t size = 0;
    size_t pick = 0; // the smallest stream
};

// Reads `f` once, feeding every encoder; false with *why when it cannot be
// read, has changed size since it was gathered, or a stream cannot be held.
bool EncodeFile(const InputFile &f, size_t tries, Progress *progress, EncodedFile *e,
                std::string *why)
{
    std::vector<std::unique_ptr<ImplodeEncoder>> encoders;
    for (size_t h = 0; h < tries; h++) {
        encoders.emplace_back(new ImplodeEncoder(kAllHeaders[h]));
        e->streams.emplace_back(new SpillBuffer);
    }
    uint32_t crc = 0xFFFFFFFFu;
    bool spill_failed = false;
    Bytes out;
    auto take = [&]() {
        for (size_t h = 0; h < tries; h++) {
            out.clear();
            encoders[h]->Take(&out);
            if (!out.empty() && !e->streams[h]->Append(out.data(), out.size()))
                spill_failed = true;
        }
    };
    bool ok = ReadPieces(
        f.path, kImplodeMaxInput,
        [&](const unsigned char *data, size_t n) {
            uint32_t len = (uint32_t)n;
            crc = UpdateCrc32((const char *)data, &len, &crc);
            e->size += n;
            for (auto &enc : encoders)
                enc->Write(data, n);
            take();
            progress->Update(e->size);
        },
        why);
    if (!ok) {
        *why = f.path + ": " + *why;
        return false;
    }
    if (e->size != f.size) {
        *why = f.path + ": changed while being packed";
        return false;
    }
    if (e->size > 0) {
        for (auto &enc : encoders)
            enc->Finish();
        take();
        for (size_t h = 1; h < tries; h++)
            if (e->streams[h]->size() < e->streams[e->pick]->size())
                e->pick = h;
    }
    if (spill_failed) {
        *why = std::string("cannot write a temporary file: ") + strerror(errno);
        return false;
    }
    e->crc = e->size > 0 ? ~crc : 0;
    return true;
}

// The record of `f`: its header, then its smallest stream. `written` is
// what the container holds before it.
bool WriteRecord(const InputFile &f, const EncodedFile &e, uint64_t written, const ByteSink &put,
                 std::string *why)
{
    // An empty file is stored as an empty record, as the installer expects.
    uint64_t length = e.size > 0 ? e.streams[e.pick]->size() : 0;
    if (written + MCF_HEADER_SIZE + length > kMaxFormatSize) {
        *why = "the container would be larger than 4 GB";
        return false;
    }
    unsigned char header[MCF_HEADER_SIZE];
    McfWriteHeader(header, f.ansi_name, e.crc, (uint32_t)length);
    if (!put(header, MCF_HEADER_SIZE)) {
        *why = "cannot write the container: " + std::string(strerror(errno));
        return false;
    }
    return length == 0 || e.streams[e.pick]->CopyTo(put, why);
}

} // namespace

bool WriteContainer(const std::vector<InputFile> &files, bool best, const ByteSink &sink,
                    std::string *why)
{
    uint64_t written = 0;
    ByteSink put = [&](const unsigned char *data, size_t size) {
        written += size;
        return sink(data, size);
    };
    if (!put((const unsigned char *)MCF_MAGIC, 4)) {
        *why = "cannot write the container: " + std::string(strerror(errno));
        return false;
    }
    uint64_t total = 0;
    for (const InputFile &f : files)
        total += f.size;
    Progress progress(total, (unsigned)files.size());
    const size_t tries = best ? 6 : 1;
    for (const InputFile &f : files) {
        progress.StartFile(best ? f.name + " (--best: all 6 headers in one pass)" : f.name, f.size);
        EncodedFile e;
        if (!EncodeFile(f, tries, &progress, &e, why) || !WriteRecord(f, e, written, put, why)) {
            progress.Clear();
            return false;
        }
    }
    progress.Clear();
    return true;
}
