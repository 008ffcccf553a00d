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

} // namespace

int CmdExtract(int argc, char **argv)
{
    CommandLine c;
    if (!ParseCommand(argc, argv, OPT_CODEPAGE | OPT_FORCE, 2, 2, &c))
        return c.status;
    const char *in = argv[c.first];
    std::string dir = argv[c.first + 1];
    std::string why;
    // DIR is a name on this system, where a backslash is no separator: a
    // trailing one would make a folder whose name ends in it.
    if (!dir.empty() && dir.back() == '\\')
        return Fail(dir + ": ends with a backslash, which here is part of a folder's name, "
                          "not a separator; give the folder with / or without it");
    if (dir.empty())
        return Fail("the folder name is empty");
    std::string prefix = dir.back() == '/' ? dir : dir + "/";
    // The folder is made once the input has shown a record, so that a
    // refused input leaves nothing behind.
    bool have_dir = false;
    auto make_dir = [&](std::string *why) {
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
    };

    std::unique_ptr<SafeOutputFile> out;
    std::string open_problem, write_problem, path;
    RecordVisitor visit;
    visit.begin = [&](const McfRecord &r) {
        std::function<void(const unsigned char *, size_t)> sink;
        out.reset();
        open_problem.clear();
        write_problem.clear();
        std::string utf8, why;
        if (!make_dir(&why)) {
            open_problem = why;
            return sink;
        }
        if (!c.cp.ToUtf8(r.file_name, &utf8, &why)) {
            open_problem = why;
            return sink;
        }
        open_problem = PlainNameProblem(utf8);
        if (!open_problem.empty())
            return sink;
        path = prefix + utf8;
        out.reset(new SafeOutputFile);
        if (!out->Open(path, c.opt.force, &why)) {
            open_problem = why;
            out.reset();
            return sink;
        }
        sink = [&](const unsigned char *data, size_t size) {
            if (write_problem.empty() && !out->Write(data, size, &write_problem) &&
                write_problem.empty())
                write_problem = CannotWrite(path);
        };
        return sink;
    };
    // The first record that cannot be written ends the extraction.
    std::string stop;
    visit.done = [&](const RecordResult &r) {
        std::string name = LocalName(r.record.file_name, c.cp);
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
    };
    bool read = WalkRecords(in, visit, &why);
    out.reset();
    if (!read)
        return Fail(why);
    if (!stop.empty())
        return Fail(stop);
    if (!make_dir(&why))
        return Fail(why); // an empty container: the folder, empty
    return 0;
}
