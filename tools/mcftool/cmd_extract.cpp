// mcftool extract: writes every record's file into a folder, checked. Each
// file goes to a temporary file in DIR and is renamed to its name only when
// complete and its CRC right; nothing but a regular file of that name is
// ever replaced, and only with -f, so a symbolic link in DIR is never
// followed out of it.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "commands.h"
#include "records.h"
#include "safeout.h"

namespace {

// Empty when `name` (converted to this side's spelling) is one plain file
// name inside the folder it is appended to, else why not.
std::string PlainNameProblem(const std::string &name)
{
    if (name.empty() || name == "." || name == "..")
        return "not a plain file name";
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return "not a plain file name after conversion from the code page";
    return std::string();
}

typedef std::function<void(const unsigned char *, size_t)> DecodedSink;

// One extraction: the folder, made once the input has shown a record so
// that a refused input leaves nothing behind, and the record being written.
struct Extraction {
    const char *in;
    const CommandLine *c;
    std::string dir, prefix;
    bool have_dir = false;
    std::unique_ptr<SafeOutputFile> out;
    std::string open_problem, write_problem, path;
    std::string stop; // the first record that cannot be written ends it

    bool MakeDir(std::string *why)
    {
        struct stat st;
        if (have_dir)
            return true;
        if (mkdir(dir.c_str(), 0777) != 0) {
            if (errno != EEXIST) {
                *why = "cannot create " + dir + ": " + strerror(errno);
                return false;
            }
            if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                *why = dir + ": exists and is not a folder";
                return false;
            }
        }
        have_dir = true;
        return true;
    }

    // Opens the record's file; the sink for its bytes, or an empty one with
    // open_problem set.
    DecodedSink Begin(const McfRecord &r)
    {
        DecodedSink sink;
        out.reset();
        open_problem.clear();
        write_problem.clear();
        std::string utf8, why;
        if (!MakeDir(&why) || !c->cp.ToUtf8(r.file_name, &utf8, &why)) {
            open_problem = why;
            return sink;
        }
        open_problem = PlainNameProblem(utf8);
        if (!open_problem.empty())
            return sink;
        path = prefix + utf8;
        out.reset(new SafeOutputFile);
        if (!out->Open(path, c->opt.force, &why)) {
            open_problem = why;
            out.reset();
            return sink;
        }
        sink = [this](const unsigned char *data, size_t size) {
            if (write_problem.empty() && !out->Write(data, size, &write_problem) &&
                write_problem.empty())
                write_problem = CannotWrite(path);
        };
        return sink;
    }

    // Puts the record's file in place when it is whole and sound; false
    // (with `stop`) to end the extraction.
    bool Done(const RecordResult &r)
    {
        std::string name = LocalName(r.record.file_name, c->cp);
        if (!open_problem.empty()) {
            stop = have_dir ? std::string(in) + ": " + name + ": " + open_problem + " (not written)"
                            : open_problem;
        } else if (!r.problem.empty()) {
            stop = std::string(in) + ": " + name + ": " + r.problem + " (not written)";
        } else {
            stop = write_problem;
            if (stop.empty() && out->Commit(&stop))
                printf("%s\n", path.c_str());
        }
        out.reset();
        return stop.empty();
    }
};

} // namespace

int CmdExtract(int argc, char **argv)
{
    CommandLine c;
    if (!ParseCommand(argc, argv, OPT_CODEPAGE | OPT_FORCE, 2, 2, &c))
        return c.status;
    Extraction x;
    x.in = argv[c.first];
    x.c = &c;
    x.dir = argv[c.first + 1];
    std::string why;
    // DIR is a name on this system, where a backslash is no separator: a
    // trailing one would make a folder whose name ends in it.
    if (!x.dir.empty() && x.dir.back() == '\\')
        return Fail(x.dir + ": ends with a backslash, which here is part of a folder's name, "
                            "not a separator; give the folder with / or without it");
    if (x.dir.empty())
        return Fail("the folder name is empty");
    x.prefix = x.dir.back() == '/' ? x.dir : x.dir + "/";
    RecordVisitor visit;
    visit.begin = [&](const McfRecord &r) { return x.Begin(r); };
    visit.done = [&](const RecordResult &r) { return x.Done(r); };
    bool read = WalkRecords(x.in, visit, &why);
    x.out.reset();
    if (!read)
        return Fail(why);
    if (!x.stop.empty())
        return Fail(x.stop);
    if (!x.MakeDir(&why))
        return Fail(why); // an empty container: the folder, empty
    return 0;
}
