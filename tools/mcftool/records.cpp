// Container reading shared by list, verify and extract.
#include "records.h"

#include <stdio.h>

#include <string>
#include <vector>

#include "commands.h"

namespace {

int Walk(const char *label, ByteSource &src, uint64_t size, const RecordVisitor &visit)
{
    int status = -1;
    std::string damage;
    switch (WalkRecordStream(src, size, visit, &status, &damage)) {
    case WALK_END: return -1;
    case WALK_STOPPED: return status;
    case WALK_DAMAGED: break;
    }
    return Fail(std::string(label) + ": " + damage);
}

} // namespace

int WalkRecords(const char *path, const RecordVisitor &visit)
{
    ContainerFile c;
    std::string why;
    if (!OpenContainerFile(path, &c, &why))
        return Fail(std::string(path) + ": " + why);
    FileSource src(c.file);
    return Walk(path, src, c.size, visit);
}

std::string LocalName(const char *ansi, const CodePage &cp)
{
    std::string utf8, why;
    if (!cp.ToUtf8(ansi, &utf8, &why))
        return Printable(ansi);
    return utf8;
}

namespace {

int Verify(const char *label, const CodePage &cp, unsigned *files,
           const std::function<int(const RecordVisitor &)> &walk)
{
    int bad = 0;
    *files = 0;
    std::vector<std::string> names;
    RecordVisitor visit;
    visit.done = [&](const RecordResult &r) {
        (*files)++;
        names.push_back(r.record.file_name);
        if (!r.problem.empty()) {
            fprintf(stderr, "mcftool: %s: %s: %s\n", label,
                    LocalName(r.record.file_name, cp).c_str(), r.problem.c_str());
            bad++;
        }
        return -1;
    };
    int status = walk(visit);
    if (status != -1)
        return status;
    for (const CheckedName &n : CheckAnsiNames(names, cp)) {
        if (n.reasons.empty())
            continue;
        std::string all;
        for (const std::string &r : n.reasons)
            all += (all.empty() ? "" : "; ") + r;
        fprintf(stderr, "mcftool: %s: %s: %s\n", label, Printable(n.utf8).c_str(), all.c_str());
        bad++;
    }
    if (bad)
        return Fail(std::string(label) + ": " + std::to_string(bad) + " of " +
                    std::to_string(*files) + " files are corrupt or cannot be installed");
    return -1;
}

} // namespace

int VerifyContainer(const char *label, ByteSource &src, uint64_t size, const CodePage &cp,
                    unsigned *files)
{
    return Verify(label, cp, files,
                  [&](const RecordVisitor &visit) { return Walk(label, src, size, visit); });
}

int VerifyContainerFile(const char *path, const CodePage &cp, unsigned *files)
{
    return Verify(path, cp, files,
                  [&](const RecordVisitor &visit) { return WalkRecords(path, visit); });
}
