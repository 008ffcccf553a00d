// mcftool build on a stub of our own making (PE32 and PE32+, with pictures,
// a dialog and a decoy beside the payload): what it writes and keeps, an
// existing or interrupted output, the check value, the stubs it refuses.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "container.h"
#include "names.h"
#include "payloadcheck.h"
#include "peres.h"
#include "peres_write.h"
#include "stub.h"
#include "tooltest.h"

namespace {

TEST_F(Build, AnExistingOutputNeedsForceAndAFolderIsNeverReplaced)
{
    Folder("app");
    Write("app/a.txt", Str("a"));
    Write("setup.exe", Str("earlier"));
    Result r = Run("build --stub stub.exe setup.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("setup.exe already exists; use -f"), std::string::npos) << r.err;
    EXPECT_EQ(Read("setup.exe"), Str("earlier"));
    r = Run("build --force --stub stub.exe setup.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(StoredNames("setup.exe").size(), 1u);

    Folder("out.exe");
    Write("out.exe/inside", Str("kept"));
    r = Run("build -f --stub stub.exe out.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("out.exe is a folder"), std::string::npos) << r.err;
    EXPECT_EQ(Read("out.exe/inside"), Str("kept"));
    ASSERT_EQ(symlink("setup.exe", Path("link.exe").c_str()), 0);
    EXPECT_EQ(Run("build -f --stub stub.exe link.exe app").status, 1);

    // A folder that cannot be written: no output and no temporary file.
    Folder("ro");
    ASSERT_EQ(chmod(Path("ro").c_str(), 0555), 0);
    if (access(Path("ro").c_str(), W_OK) != 0) {
        r = Run("build --stub stub.exe ro/setup.exe app");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("ro/setup.exe"), std::string::npos) << r.err;
    }
    // Nothing but our files in the folder: no temporary file stayed behind.
    r = Run("build --stub stub.exe missing-dir/setup.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(system(("ls -A '" + dir_ + "' | grep -q mcftool-").c_str()) != 0, true);
}

// Whether a temporary output file stands in the test's folder.
bool HasTemporary(const std::string &dir)
{
    DIR *d = opendir(dir.c_str());
    bool found = false;
    while (struct dirent *e = d ? readdir(d) : nullptr)
        found = found || strncmp(e->d_name, ".mcftool-", 9) == 0;
    if (d)
        closedir(d);
    return found;
}

TEST_F(Build, AnInterruptedBuildLeavesTheEarlierOutputAndNoTemporaryFile)
{
    Folder("big");
    Bytes noise(24u << 20);
    uint32_t x = 12345;
    for (unsigned char &b : noise)
        b = (unsigned char)((x = x * 1103515245u + 12345u) >> 24);
    Write("big/noise.bin", noise);
    Write("setup.exe", Str("the earlier installer"));
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(dir_.c_str()) != 0)
                _exit(99);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(MCFTOOL_PATH, "mcftool", "build", "-f", "--stub", "stub.exe", "setup.exe", "big",
                  (char *)nullptr);
            _exit(98);
        }
        // Interrupted while it encodes, with its temporary file open.
        bool seen = false;
        for (int i = 0; i < 2000 && !seen; i++) {
            seen = HasTemporary(dir_);
            if (!seen) {
                struct timespec ms = {0, 5000000};
                nanosleep(&ms, nullptr);
            }
        }
        EXPECT_TRUE(seen) << "no temporary file appeared";
        kill(pid, sig);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_FALSE(HasTemporary(dir_));
        EXPECT_EQ(Read("setup.exe"), Str("the earlier installer"));
    }
}

TEST_F(Build, TheWrittenImageKeepsTheStubsResourcesAndIsReproducible)
{
    Folder("app");
    Write("app/Readme.txt", Str("read me\r\n"));
    Write("app/Big.bin", Bytes(70000, 0x42));
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        StubOptions o;
        o.plus = plus;
        Bytes stub = MakeStub(o);
        Write("stub.exe", stub);
        Result r = Run("build -f --stub stub.exe one.exe app");
        ASSERT_EQ(r.status, 0) << r.err;
        r = Run("build -f --stub stub.exe two.exe app");
        ASSERT_EQ(r.status, 0) << r.err;
        Bytes one = Read("one.exe");
        EXPECT_EQ(one, Read("two.exe")) << "same inputs, same bytes";

        // The decoy of the same type is kept; the payload is what was built.
        size_t offset;
        uint32_t length;
        ASSERT_TRUE(PeFindResource(one.data(), one.size(), "CMPFILE", 120, &offset, &length));
        EXPECT_EQ(Bytes(one.begin() + offset, one.begin() + offset + length), Str("decoy"));
        ASSERT_TRUE(PeFindResource(one.data(), one.size(), "CMPFILE", 121, &offset, &length));
        EXPECT_EQ(memcmp(&one[offset], "MCFX", 4), 0);

        // Headers: checksum of the final bytes, image size and the section
        // sizes follow the new section, which stays last and file-aligned.
        size_t field;
        ASSERT_TRUE(PeChecksumField(one.data(), one.size(), &field));
        EXPECT_EQ(Get32(one, field), PeComputeChecksum(one.data(), one.size(), field));
        EXPECT_NE(Get32(one, field), Get32(stub, field));
        size_t sec = 0x58 + (plus ? 240 : 224) + 40;
        uint32_t vsize = Get32(one, sec + 8), va = Get32(one, sec + 12);
        uint32_t raw_size = Get32(one, sec + 16), raw = Get32(one, sec + 20);
        EXPECT_EQ(raw_size % 0x200, 0u);
        EXPECT_EQ((size_t)raw + raw_size, one.size());
        EXPECT_GE(raw_size, vsize);
        EXPECT_EQ(Get32(one, 0x58 + 56), (va + vsize + 0xFFF) / 0x1000 * 0x1000);
        size_t dirs = 0x58 + (plus ? 112 : 96);
        EXPECT_EQ(Get32(one, dirs + 16), va);
        EXPECT_EQ(Get32(one, dirs + 20), vsize);
        EXPECT_EQ(Bytes(one.begin(), one.begin() + 0x58), Bytes(stub.begin(), stub.begin() + 0x58));
        EXPECT_EQ(Run("verify one.exe").status, 0);
    }

    // The integer types (pictures, dialog) come through unchanged: the
    // written section holds their bytes exactly once each.
    Bytes one = Read("one.exe");
    for (const Res &res : StubResources()) {
        auto at = std::search(one.begin(), one.end(), res.data.begin(), res.data.end());
        EXPECT_NE(at, one.end()) << res.type_id << "/" << res.id;
    }
}

// The check value beside the payload (resource 122): its length and CRC-32,
// matched by list and verify; a changed byte, a cut or a stale value from
// an older build is refused. checkvalue writes the same 8 bytes for the
// project's own build.
TEST_F(Build, TheCheckValueMatchesThePayloadAndCatchesDamage)
{
    Folder("app");
    Write("app/Readme.txt", Str("read me\r\n"));
    Write("app/Big.bin", Bytes(70000, 0x42));
    Result r = Run("build -f --stub stub.exe one.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    Bytes one = Read("one.exe");
    size_t payload_at, check_at;
    uint32_t payload_length, check_length;
    ASSERT_TRUE(
        PeFindResource(one.data(), one.size(), "CMPFILE", 121, &payload_at, &payload_length));
    ASSERT_TRUE(PeFindResource(one.data(), one.size(), "CMPFILE", 122, &check_at, &check_length));
    ASSERT_EQ(check_length, MCF_CHECK_SIZE);
    EXPECT_EQ(Get32(one, check_at), payload_length);
    EXPECT_EQ(Get32(one, check_at + 4), Crc32Of(&one[payload_at], payload_length));
    EXPECT_EQ(McfCheckMatches(&one[check_at], check_length, &one[payload_at], payload_length), 1);
    r = Run("verify one.exe");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("check value: " + std::to_string(payload_length) + " bytes"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Run("list one.exe").status, 0);

    // The container's own check value, as the project's build makes it.
    Write("app.mcf", Bytes(one.begin() + payload_at, one.begin() + payload_at + payload_length));
    ASSERT_EQ(Run("checkvalue app.mcf app.chk").status, 0);
    EXPECT_EQ(Read("app.chk"), Bytes(one.begin() + check_at, one.begin() + check_at + 8));
    EXPECT_EQ(Run("checkvalue app.mcf app.chk").status, 1) << "an existing output needs -f";
    EXPECT_EQ(Run("checkvalue stub.exe x.chk").status, 1) << "not a container";
    // With the uninstaller's container: a second pair after the first, which
    // readers of the first pair alone still find where it was.
    Write("un.mcf", Bytes(one.begin() + payload_at, one.begin() + payload_at + 4)); // "MCFX"
    ASSERT_EQ(Run("checkvalue app.mcf un.mcf both.chk").status, 0);
    Bytes both = Read("both.chk"), un = Read("un.mcf");
    ASSERT_EQ(both.size(), MCF_CHECK_BOTH_SIZE);
    EXPECT_EQ(Bytes(both.begin(), both.begin() + 8), Read("app.chk"));
    EXPECT_EQ(McfCheckMatches(both.data(), 16, &one[payload_at], payload_length), 1);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 16, un.data(), (uint32_t)un.size()), 1);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 16, un.data(), 3), 0);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 16, nullptr, 0), 0);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 8, nullptr, 0), 1) << "an older value: no pair";

    // A byte of the last stream flipped: the records may still decode, the
    // check value does not match.
    Bytes bad = one;
    bad[payload_at + payload_length - 1] ^= 0x01;
    EXPECT_EQ(McfCheckMatches(&bad[check_at], 8, &bad[payload_at], payload_length), 0);
    Write("bad.exe", bad);
    r = Run("verify bad.exe");
    EXPECT_EQ(r.status, 1);
    // A stale check value (an older length) and a cut one.
    bad = one;
    bad[check_at] ^= 0x01;
    Write("bad.exe", bad);
    r = Run("list bad.exe");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("does not match its check value"), std::string::npos) << r.err;
    EXPECT_EQ(McfCheckMatches(&one[check_at], 7, &one[payload_at], payload_length), 0);
    EXPECT_EQ(McfCheckMatches(&one[check_at], 8, &one[payload_at], payload_length - 1), 0);
}

TEST_F(Build, StubsItCannotUseAndSignaturesItDrops)
{
    Folder("app");
    Write("app/a.txt", Str("a"));
    StubOptions signed_stub;
    signed_stub.signature = true;
    Write("signed.exe", MakeStub(signed_stub));
    Result r = Run("build --stub signed.exe out.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("signature is dropped"), std::string::npos) << r.err;
    Bytes out = Read("out.exe");
    EXPECT_EQ(Get32(out, 0x58 + 96 + 4 * 8), 0u);
    EXPECT_EQ(Get32(out, 0x58 + 96 + 4 * 8 + 4), 0u);
    EXPECT_EQ(std::search(out.begin(), out.end(), std::string(64, 'Z').begin(),
                          std::string(64, 'Z').end()),
              out.end())
        << "the certificate is gone";

    StubOptions reloc_last;
    reloc_last.rsrc_last = false;
    Write("reloc.exe", MakeStub(reloc_last));
    Write("junk.exe", Str("MZ but nothing else"));
    Bytes trailing = MakeStub(StubOptions());
    trailing.push_back(0x99);
    Write("trailing.exe", trailing);
    const std::pair<const char *, const char *> bad[] = {
        {"reloc.exe", "not the last section"},
        {"junk.exe", "not a PE file"},
        {"trailing.exe", "data after its last section"},
        {"missing.exe", "cannot read missing.exe"}};
    for (const auto &b : bad) {
        r = Run(std::string("build --stub ") + b.first + " x.exe app");
        EXPECT_EQ(r.status, 1) << b.first;
        EXPECT_NE(r.err.find(b.second), std::string::npos) << b.first << ": " << r.err;
        EXPECT_FALSE(Exists("x.exe"));
    }
    EXPECT_EQ(Run("build x.exe app").status, 2) << "--stub is required";
}

} // namespace
