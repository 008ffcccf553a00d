// Container reading shared by list, verify and extract.
#include "records.h"

#include <stdio.h>

#include "progress.h"

namespace {

// Shows how far through the container a walk is.
class ProgressSource : public ByteSource {
public:
    ProgressSource(ByteSource &inner, Progress &progress) : inner_(inner), progress_(progress) {}
    size_t Read(void *buffer, size_t n) override
    {
        size_t got = inner_.Read(buffer, n);
        done_ += got;
        progress_.Update(done_);
        return got;
    }
    bool Failed() const override { return inner_.Failed(); }

private:
    ByteSource &inner_;
    Progress &progress_;
    uint64_t done_ = 0;
};

} // namespace

bool WalkRecords(const char *path, const RecordVisitor &visit, std::string *why)
{
    ContainerFile c;
    std::string damage;
    bool ok;
    if (!OpenContainerFile(path, &c, &damage)) {
        ok = false;
    } else if (c.size == kUnknownSize) {
        FileSource file(c.file);
        ok = WalkRecordStream(file, c.size, visit, &damage);
    } else {
        FileSource file(c.file);
        Progress progress(c.size, 1);
        progress.StartFile(path, c.size);
        ProgressSource src(file, progress);
        RecordVisitor shown = visit;
        // Messages and listed lines start on a clean line.
        shown.done = [&](const RecordResult &r) {
            progress.Clear();
            return visit.done(r);
        };
        ok = WalkRecordStream(src, c.size, shown, &damage);
    }
    if (!ok)
        *why = std::string(path) + ": " + damage;
    return ok;
}

std::string LocalName(const char *ansi, const CodePage &cp)
{
    std::string utf8, why;
    if (!cp.ToUtf8(ansi, &utf8, &why))
        return Printable(ansi);
    return utf8;
}

bool VerifyContainerFile(const char *path, const CodePage &cp, Verified *v, std::string *why)
{
    *v = Verified();
    v->label = path;
    std::vector<std::string> names;
    RecordVisitor visit;
    visit.done = [&](const RecordResult &r) {
        v->files++;
        names.push_back(r.record.file_name);
        if (!r.problem.empty())
            v->problems.push_back(std::string(path) + ": " + LocalName(r.record.file_name, cp) +
                                  ": " + r.problem);
        return true;
    };
    // Problems found before the container turned out damaged still count.
    if (!WalkRecords(path, visit, why))
        return false;
    for (const CheckedName &n : CheckAnsiNames(names, cp)) {
        if (n.reasons.empty())
            continue;
        v->problems.push_back(std::string(path) + ": " + Printable(n.utf8) + ": " +
                              JoinReasons(n.reasons));
    }
    return true;
}
