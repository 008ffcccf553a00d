// mcftool verify: decodes and checks every record, streamed.
#include <stdio.h>

#include <string>

#include "checkvalue.h"
#include "commands.h"
#include "records.h"

int CmdVerify(int argc, char **argv)
{
    CommandLine c;
    if (!ParseCommand(argc, argv, OPT_CODEPAGE, 1, 1, &c))
        return c.status;
    const char *in = argv[c.first];
    Verified verified;
    std::string why;
    bool read = VerifyContainerFile(in, c.cp, &verified, &why);
    int status = ReportVerified(read, verified, why);
    if (status != 0)
        return status;
    status = ReportCheckValue(in);
    if (status != 0)
        return status;
    printf("%s: %u file%s, all sound\n", in, verified.files, verified.files == 1 ? "" : "s");
    return 0;
}

int ReportVerified(bool read, const Verified &verified, const std::string &why)
{
    for (const std::string &problem : verified.problems)
        Say(problem);
    if (!read)
        return Fail(why);
    if (!verified.problems.empty())
        return Fail(verified.label + ": " + std::to_string(verified.problems.size()) + " of " +
                    std::to_string(verified.files) + " files are corrupt or cannot be installed");
    return 0;
}

int ReportCheckValue(const char *path, bool say)
{
    CheckValueFound found;
    std::string why;
    if (!ReadCheckValue(path, &found, &why))
        return Fail(why);
    switch (found.state) {
    case CheckValueState::NotAnImage: return 0;
    case CheckValueState::Absent:
        if (say)
            printf("%s: no check value (built before setup.exe checked itself)\n", path);
        return 0;
    case CheckValueState::Matches:
        if (say)
            printf("%s: check value: %u bytes, CRC-32 %08x%s: matches\n", path,
                   (unsigned)found.length, (unsigned)found.crc,
                   found.uninstaller ? ", and the uninstaller's" : "");
        return 0;
    case CheckValueState::Mismatch:
    case CheckValueState::Damaged: break;
    }
    return Fail(std::string(path) + ": the payload" +
                (found.uninstaller ? " or the uninstaller" : "") +
                " does not match its check value" +
                (found.state == CheckValueState::Damaged ? " (the check value is damaged)" : "") +
                ": setup.exe would refuse to install");
}
