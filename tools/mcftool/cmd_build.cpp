// mcftool build: a setup.exe that installs the given files, made from a
// built setup.exe (the stub) without a compiler. The container goes into a
// copy of the stub as its CMPFILE resource 121; the result is checked as
// verify checks it before it is renamed into place.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "packer.h"
#include "peres_write.h"
#include "records.h"
#include "safeout.h"

namespace {

const char kPayloadType[] = "CMPFILE";
const uint32_t kPayloadId = 121;

} // namespace

int CmdBuild(int argc, char **argv)
{
    Options opt;
    int i = ParseOptions(argc, argv, OPT_STUB | OPT_BEST | OPT_CODEPAGE | OPT_FORCE, &opt);
    if (i < 0 || argc - i < 2 || opt.stub.empty())
        return Usage();
    std::string out_path = argv[i++];
    std::vector<std::string> operands(argv + i, argv + argc);
    CodePage cp;
    std::string why;
    if (!cp.Open(opt.codepage, &why))
        return Fail(why);

    // Everything that can be refused is refused before a byte is encoded.
    std::string problem = OutputTargetProblem(out_path, opt.force);
    if (!problem.empty())
        return Fail(problem);
    std::vector<InputFile> files;
    if (!GatherInputs(operands, cp, &files))
        return kExitFailure;
    Bytes stub;
    if (!ReadWholeFile(opt.stub, &stub))
        return Fail(CannotRead(opt.stub));
    PeResourceWrite trial;
    if (!PeWriteResource(stub, kPayloadType, kPayloadId, Bytes(), &trial, &why))
        return Fail(opt.stub + ": cannot be used as the stub: " + why);

    SafeOutputFile out;
    if (!out.Open(out_path, opt.force, &why))
        return Fail(why);
    Bytes container;
    if (!WriteContainer(files, opt.best,
                        [&](const unsigned char *data, size_t size) {
                            container.insert(container.end(), data, data + size);
                            return true;
                        },
                        &why))
        return Fail(why);
    PeResourceWrite written;
    if (!PeWriteResource(stub, kPayloadType, kPayloadId, container, &written, &why))
        return Fail(opt.stub + ": " + why);
    for (const std::string &note : written.notes)
        fprintf(stderr, "mcftool: %s: note: %s\n", opt.stub.c_str(), note.c_str());

    // The same checks as verify, on the written file as the installer will
    // find its payload: through the resource directory.
    const unsigned char *found;
    uint32_t found_size;
    if (!LocateContainer(written.image, &found, &found_size, &why))
        return Fail(out_path + ": not written: " + why);
    if (found_size < 4 || memcmp(found, MCF_MAGIC, 4) != 0)
        return Fail(out_path + ": not written: no MCFX magic in the written resource");
    MemorySource records(found + 4, found_size - 4);
    unsigned count;
    int status = VerifyContainer(out_path.c_str(), records, found_size - 4, cp, &count);
    if (status != -1) {
        fprintf(stderr, "mcftool: %s: not written\n", out_path.c_str());
        return status;
    }
    if (count != files.size())
        return Fail(out_path + ": not written: the written resource holds " +
                    std::to_string(count) + " files, not " + std::to_string(files.size()));

    if (!out.Write(written.image.data(), written.image.size(), &why) || !out.Commit(&why))
        return Fail(why);
    printf("%s: %zu file%s, payload %zu bytes, %zu bytes in all\n", out_path.c_str(),
           files.size(), files.size() == 1 ? "" : "s", container.size(), written.image.size());
    return 0;
}
