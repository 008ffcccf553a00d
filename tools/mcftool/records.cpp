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

int WalkRecords(const char *path, const RecordVisitor &visit)
{
    ContainerFile c;
    std::string why;
    if (!OpenContainerFile(path, &c, &why))
        return Fail(std::string(path) + ": " + why);
    FileSource file(c.file);
    if (c.size == kUnknownSize)
        return Walk(path, file, c.size, visit);
    Progress progress(c.size, 1);
    progress.StartFile(path, c.size);
    ProgressSource src(file, progress);
    RecordVisitor shown = visit;
    // Messages and listed lines start on a clean line.
    shown.done = [&](const RecordResult &r) {
        progress.Clear();
        return visit.done(r);
    };
    int status = Walk(path, src, c.size, shown);
    progress.Clear();
    return status;
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
