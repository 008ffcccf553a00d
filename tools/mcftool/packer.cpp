// Gathering and writing a payload. Every input is checked before the first
// byte is encoded, so that a refusal costs no encoding time and writes nothing.
#include "packer.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

#include "commands.h"
#include "container.h"

namespace {

// Why the installer could not create this entry as a file, or empty.
std::string EntryProblem(const std::string &path, uint64_t *size)
{
    struct stat link, st;
    if (lstat(path.c_str(), &link) != 0)
        return std::string("cannot be read: ") + strerror(errno);
    if (stat(path.c_str(), &st) != 0)
        return S_ISLNK(link.st_mode) ? "is a symbolic link to nothing"
                                     : std::string("cannot be read: ") + strerror(errno);
    bool via_link = S_ISLNK(link.st_mode);
    if (S_ISDIR(st.st_mode))
        return via_link ? "is a symbolic link to a folder; the installer creates no folders"
                        : "is a folder; the installer creates no folders";
    if (!S_ISREG(st.st_mode))
        return via_link ? "is a symbolic link to a special file, not a regular file"
                        : "is a special file, not a regular file";
    if ((uint64_t)st.st_size > 0xFFFFFFFFu)
        return "is larger than 4 GB, the most a container can hold";
    *size = (uint64_t)st.st_size;
    return std::string();
}

void Refuse(const std::string &path, const std::string &why)
{
    fprintf(stderr, "mcftool: %s: %s\n", Printable(path).c_str(), why.c_str());
}

} // namespace

bool GatherInputs(const std::vector<std::string> &operands, const CodePage &cp,
                  std::vector<InputFile> *files)
{
    files->clear();
    std::vector<std::string> paths, names;
    struct stat st;
    if (operands.size() == 1 && stat(operands[0].c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string dir = operands[0];
        DIR *d = opendir(dir.c_str());
        if (!d) {
            Refuse(dir, std::string("cannot be read: ") + strerror(errno));
            return false;
        }
        errno = 0;
        while (struct dirent *e = readdir(d)) {
            if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
                continue;
            names.push_back(e->d_name);
            errno = 0;
        }
        int read_error = errno;
        closedir(d);
        if (read_error) {
            Refuse(dir, std::string("cannot be read: ") + strerror(read_error));
            return false;
        }
        std::sort(names.begin(), names.end());
        std::string prefix = dir.back() == '/' ? dir : dir + "/";
        for (const std::string &n : names)
            paths.push_back(prefix + n);
        if (names.empty()) {
            Refuse(dir, "is empty; an installer with nothing to install is not built");
            return false;
        }
    } else {
        for (const std::string &p : operands) {
            paths.push_back(p);
            size_t cut = p.find_last_of('/');
            names.push_back(cut == std::string::npos ? p : p.substr(cut + 1));
        }
        if (operands.empty()) {
            fprintf(stderr, "mcftool: no files; an installer with nothing to install is not built\n");
            return false;
        }
    }

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
            std::string all;
            for (const std::string &r : reasons)
                all += (all.empty() ? "" : "; ") + r;
            Refuse(paths[i], "cannot be packed: " + all);
            ok = false;
        }
        files->push_back(f);
    }
    return ok;
}

bool WriteContainer(const std::vector<InputFile> &files, bool best, const ByteSink &sink,
                    std::string *why)
{
    uint64_t written = 0;
    auto put = [&](const unsigned char *data, size_t size) {
        written += size;
        return sink(data, size);
    };
    if (!put((const unsigned char *)MCF_MAGIC, 4)) {
        *why = std::string("cannot write the container: ") + strerror(errno);
        return false;
    }
    for (const InputFile &f : files) {
        Bytes data;
        if (!ReadWholeFile(f.path, &data)) {
            *why = CannotRead(f.path);
            return false;
        }
        if (data.size() != f.size) {
            *why = f.path + ": changed while being packed";
            return false;
        }
        Bytes stream;
        if (!data.empty()) {
            stream = Encode(data, kDefaultHeader, f.path);
            if (best) {
                const ImplodeHeader others[] = {{IMPLODE_BINARY, 4}, {IMPLODE_BINARY, 5},
                                                {IMPLODE_TEXT, 4},   {IMPLODE_TEXT, 5},
                                                {IMPLODE_TEXT, 6}};
                for (const ImplodeHeader &h : others) {
                    Bytes s = Encode(data, h, f.path);
                    if (s.size() < stream.size())
                        stream.swap(s);
                }
            }
        }
        if (written + MCF_HEADER_SIZE + stream.size() > 0xFFFFFFFFu) {
            *why = "the container would be larger than 4 GB";
            return false;
        }
        Bytes record;
        AppendRecord(&record, f.ansi_name, Crc32Of(data.data(), data.size()), stream);
        if (!put(record.data(), record.size())) {
            *why = std::string("cannot write the container: ") + strerror(errno);
            return false;
        }
    }
    return true;
}
