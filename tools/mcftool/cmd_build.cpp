// mcftool build: a setup.exe that installs the given files, made from a
// built setup.exe (the stub) without a compiler. The container goes into a
// copy of the stub as its CMPFILE resource 121; the result is checked as
// verify checks it before it is renamed into place. With --sign the
// uninstaller the stub carries is signed first, and the finished file last.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "checkvalue.h"
#include "commands.h"
#include "packer.h"
#include "peres.h"
#include "peres_write.h"
#include "records.h"
#include "safeout.h"
#include "sign.h"

namespace {

// The stub as read, checked to take a payload, and with --sign its
// uninstaller signed; 0, or the exit status (said).
int LoadStub(const CommandLine &c, const std::string &out_path, Bytes *stub,
             std::vector<std::string> *notes)
{
    std::string why;
    if (!ReadWholeFile(c.opt.stub, stub))
        return Fail(CannotRead(c.opt.stub));
    PeResourceWrite trial;
    if (!PeWriteResource(*stub, kPayloadType, kPayloadId, Bytes(), &trial, &why))
        return Fail(c.opt.stub + ": cannot be used as the stub: " + why);
    if (c.opt.sign.empty())
        return 0;
    Bytes signed_stub;
    if (!SignStubUninstaller(*stub, c.opt.sign, out_path, &signed_stub, notes, &why))
        return Fail(out_path + ": not written: " + why);
    stub->swap(signed_stub);
    return 0;
}

// The check value beside the payload, as resource 122: setup.exe compares
// it before it writes anything. It covers the uninstaller's container too,
// when the stub carries one. False when the payload is over 4 GB.
bool MakeCheck(const Bytes &stub, const CheckValueSum &sum, Bytes *check)
{
    check->assign(MCF_CHECK_SIZE, 0);
    if (!sum.Value(check->data()))
        return false;
    size_t uninstaller_at;
    uint32_t uninstaller_length;
    if (PeFindResource(stub.data(), stub.size(), kPayloadType, IDR_UNINSTALL, &uninstaller_at,
                       &uninstaller_length)) {
        check->resize(MCF_CHECK_BOTH_SIZE);
        McfMakeCheck(&(*check)[MCF_CHECK_SIZE], &stub[uninstaller_at], uninstaller_length);
    }
    return true;
}

// Writes the stub with the check value and the container as its resources
// to `out`, and says the notes on the stub; 0, or the exit status (said).
int WriteImage(const CommandLine &c, const std::string &out_path, const Bytes &stub,
               const Bytes &check, SpillBuffer *container,
               const std::vector<std::string> &stub_notes, SafeOutputFile *out)
{
    std::string why;
    PeResourceWrite checked;
    if (!PeWriteResource(stub, kPayloadType, kCheckValueId, check, &checked, &why))
        return Fail(c.opt.stub + ": cannot be used as the stub: " + why);
    std::vector<std::string> notes;
    std::string copy_problem;
    if (!PeWriteResourceStreamed(
            checked.image, kPayloadType, kPayloadId, container->size(),
            [&](const ByteSinkFn &sink) { return container->CopyTo(sink, &copy_problem); },
            out->file(), &notes, &why))
        return Fail(copy_problem.empty() ? out_path + ": not written: " + why : copy_problem);
    notes.insert(notes.begin(), checked.notes.begin(), checked.notes.end());
    notes.insert(notes.begin(), stub_notes.begin(), stub_notes.end());
    for (const std::string &note : notes)
        Say(c.opt.stub + ": note: " + note);
    if (fflush(out->file()) != 0)
        return Fail(CannotWrite(out_path));
    return 0;
}

// The same checks as verify, on the written file as the installer will find
// its payload: through the resource directory. 0, or the exit status (said).
int CheckWritten(const CommandLine &c, const std::string &out_path, size_t files,
                 SafeOutputFile *result)
{
    std::string why;
    Verified verified;
    bool read = VerifyContainerFile(result->temp_path().c_str(), c.cp, &verified, &why);
    int status = ReportVerified(read, verified, why);
    if (status == 0)
        status = ReportCheckValue(result->temp_path().c_str(), false);
    if (status != 0) {
        Say(out_path + ": not written");
        return status;
    }
    if (verified.files != files)
        return Fail(out_path + ": not written: the written resource holds " +
                    std::to_string(verified.files) + " files, not " + std::to_string(files));
    return 0;
}

} // namespace

int CmdBuild(int argc, char **argv)
{
    CommandLine c;
    std::string out_path, why;
    std::vector<InputFile> files;
    if (!ParsePackCommand(argc, argv, OPT_STUB | OPT_BEST | OPT_CODEPAGE | OPT_FORCE | OPT_SIGN, &c,
                          &out_path, &files))
        return c.status;
    Bytes stub;
    std::vector<std::string> stub_notes;
    if (int status = LoadStub(c, out_path, &stub, &stub_notes))
        return status;

    SafeOutputFile out;
    if (!out.Open(out_path, c.opt.force, &why))
        return Fail(why);
    // The container goes to memory or a temporary file as it is encoded,
    // then into the written file behind the rebuilt resource tree: memory
    // stays bounded whatever the payload's size.
    SpillBuffer container;
    CheckValueSum sum;
    if (!WriteContainer(
            files, c.opt.best,
            [&](const unsigned char *data, size_t size) {
                sum.Add(data, size);
                return container.Append(data, size);
            },
            &why))
        return Fail(why);
    Bytes check;
    if (!MakeCheck(stub, sum, &check))
        return Fail(out_path + ": not written: the payload is over 4 GB");
    if (int status = WriteImage(c, out_path, stub, check, &container, stub_notes, &out))
        return status;
    // Signed last, every resource and the check value in place: a copy,
    // so that what the command did can be compared with what it was given.
    SafeOutputFile signed_out;
    SafeOutputFile *result = &out;
    if (!c.opt.sign.empty()) {
        if (!signed_out.Open(out_path, c.opt.force, &why) ||
            !SignCopy(c.opt.sign, out.temp_path(), "the finished setup program", &signed_out, &why))
            return Fail(out_path + ": not written: " + why);
        out.Abort();
        result = &signed_out;
    }
    if (int status = CheckWritten(c, out_path, files.size(), result))
        return status;
    struct stat st;
    uint64_t image_size = fstat(fileno(result->file()), &st) == 0 ? (uint64_t)st.st_size : 0;
    if (!result->Commit(&why))
        return Fail(why);
    printf("%s: %zu file%s, payload %.0f bytes, %.0f bytes in all\n", out_path.c_str(),
           files.size(), files.size() == 1 ? "" : "s", (double)container.size(),
           (double)image_size);
    return 0;
}
