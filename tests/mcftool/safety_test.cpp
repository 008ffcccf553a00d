// mcftool never loses or half-writes a file: outputs kept without -f,
// extraction only inside its folder, a full disk, devices, empty inputs,
// statuses that tell the truth, command-line habits.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "container.h"
#include "encoder.h"
#include "implode.h"
#include "payloadcheck.h"
#include "peres.h"
#include "peres_write.h"
#include "tooltest.h"

namespace {

// ---------------------------------------------------------------- never lose a file

TEST_F(Mcftool, ExistingOutputsAreKeptWithoutForce)
{
    Write("in.txt", Sample());
    ASSERT_EQ(Run("implode in.txt in.imp").status, 0);
    ASSERT_EQ(Run("pack in.mcf in.txt").status, 0);
    struct {
        const char *command, *output;
    } cases[] = {
        {"implode in.txt", "old.out"}, {"explode in.imp", "old.out"}, {"pack", "old.out in.txt"}};
    for (auto &c : cases) {
        Write("old.out", Str("keep me"));
        Result r = Run(std::string(c.command) + " " + c.output);
        if (std::string(c.command) == "pack")
            r = Run(std::string("pack ") + c.output);
        EXPECT_EQ(r.status, 1) << c.command;
        EXPECT_NE(r.err.find("mcftool: old.out already exists; use -f"), std::string::npos)
            << r.err;
        EXPECT_EQ(Read("old.out"), Str("keep me")) << c.command;
    }
    EXPECT_EQ(Run("explode -f in.imp old.out").status, 0);
    EXPECT_EQ(Read("old.out"), Sample());

    // A folder, even an empty one, and a read-only file stay.
    ASSERT_EQ(mkdir(Path("folder.mcf").c_str(), 0755), 0);
    Result r = Run("pack -f folder.mcf in.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("folder.mcf is a folder"), std::string::npos) << r.err;
    struct stat st;
    EXPECT_TRUE(stat(Path("folder.mcf").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    Write("ro.mcf", Str("read-only"));
    chmod(Path("ro.mcf").c_str(), 0444);
    EXPECT_EQ(Run("pack ro.mcf in.txt").status, 1);
    EXPECT_EQ(Read("ro.mcf"), Str("read-only"));

    // extract, per file: the one that exists stays, and -f replaces it.
    ASSERT_EQ(mkdir(Path("x").c_str(), 0755), 0);
    Write("x/in.txt", Str("mine"));
    r = Run("extract in.mcf x");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("x/in.txt already exists"), std::string::npos) << r.err;
    EXPECT_EQ(Read("x/in.txt"), Str("mine"));
    EXPECT_EQ(Run("extract -f in.mcf x").status, 0);
    EXPECT_EQ(Read("x/in.txt"), Sample());
    // No temporary file is left behind anywhere.
    EXPECT_EQ(system(("test -z \"$(find '" + dir_ + "' -name '.mcftool-*')\"").c_str()), 0);
}

TEST_F(Mcftool, ExtractWritesOnlyInsideDir)
{
    Write("Readme.txt", Sample());
    ASSERT_EQ(Run("pack p.mcf Readme.txt").status, 0);
    ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
    Write("outside.txt", Str("outside"));
    ASSERT_EQ(symlink(Path("outside.txt").c_str(), Path("out/Readme.txt").c_str()), 0);
    for (const char *force : {"", "-f "}) {
        Result r = Run(std::string("extract ") + force + "p.mcf out");
        EXPECT_EQ(r.status, 1) << force;
        EXPECT_NE(r.err.find("symbolic link"), std::string::npos) << r.err;
        EXPECT_EQ(Read("outside.txt"), Str("outside")) << "the link is never followed";
    }
    // A trailing backslash is part of a name here: refused, nothing made.
    Result r = Run("extract p.mcf 'dir\\'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("backslash"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("dir\\"));
    EXPECT_FALSE(Exists("dir\\Readme.txt"));
    Write("plain", Str("x"));
    EXPECT_EQ(Run("extract p.mcf plain").status, 1) << "DIR that is a file";
}

TEST_F(Mcftool, FullDiskLeavesNothing)
{
    std::string disk = Path("disk");
    ASSERT_EQ(mkdir(disk.c_str(), 0755), 0);
    if (system(("mount -t tmpfs -o size=64k tmpfs '" + disk + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct Unmount {
        std::string at;
        ~Unmount() { (void)!system(("umount '" + at + "'").c_str()); }
    } unmount = {disk};
    Bytes big = Noise(300000, 5);
    Write("big.bin", big);
    ASSERT_EQ(Run("implode big.bin big.imp").status, 0);
    ASSERT_EQ(Run("pack big.mcf big.bin").status, 0);
    Write("disk/keep.imp", Str("old"));
    for (const char *args : {"implode big.bin disk/big.imp", "explode big.imp disk/big.out",
                             "pack disk/big.mcf big.bin", "extract big.mcf disk",
                             "implode -f big.bin disk/keep.imp"}) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("No space left"), std::string::npos) << args << ": " << r.err;
    }
    EXPECT_EQ(system(("test \"$(ls -A '" + disk + "')\" = keep.imp").c_str()), 0)
        << "only what stood there before";
    EXPECT_EQ(Read("disk/keep.imp"), Str("old"));
}

TEST_F(Mcftool, DevicesAndGarbageFailAtOnce)
{
    for (const char *args : {"list /dev/zero", "verify /dev/zero", "extract /dev/zero out",
                             "implode /dev/zero z.imp", "pack z.mcf /dev/zero"}) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("mcftool: /dev/zero: "), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
    Result r = Run("explode /dev/zero z.out");
    EXPECT_EQ(r.status, 11);
    EXPECT_FALSE(Exists("z.out"));
    EXPECT_FALSE(Exists("z.imp"));
    EXPECT_FALSE(Exists("z.mcf"));
    EXPECT_FALSE(Exists("out/.")) << "no folder made for a refused input";

    // Over 4 GB (sparse files): refused from the size, before any decoding.
    for (const char *magic : {"MCFX", "\0\6\1\xff"}) {
        Write("huge", Bytes(magic, magic + 4));
        ASSERT_EQ(truncate(Path("huge").c_str(), 5ll << 30), 0);
        r = Run(magic[0] == 'M' ? "verify huge" : "explode huge huge.out");
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("larger than 4 GB"), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("huge.out"));
    }
}

TEST_F(Mcftool, EmptyInputRoundTripsThroughEveryCommand)
{
    Write("empty", Bytes{});
    Result r = Run("implode empty e.imp");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("e.imp"), (Bytes{0, 6, 0x01, 0xFF, 0})) << "end unit and one byte";
    r = Run("explode e.imp e.out");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "the padding byte is no trailing garbage";
    EXPECT_EQ(Read("e.out"), Bytes{});
    // Through standard input and output.
    r = Run("implode --text - - <empty | " MCFTOOL_PATH " explode - -");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(Run("pack e.mcf empty").status, 0);
    r = Run("list e.mcf");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("         0          0   0.0%  00000000  -      empty"), std::string::npos)
        << r.out;
    EXPECT_EQ(Run("verify e.mcf").status, 0);
    ASSERT_EQ(Run("extract e.mcf x").status, 0);
    EXPECT_EQ(Read("x/empty"), Bytes{});
    // An empty file stored as implode's stream rather than bare is sound too.
    Bytes c(MCF_MAGIC, MCF_MAGIC + 4);
    AppendRecord(&c, "empty", 0, Read("e.imp"));
    Write("e5.mcf", c);
    EXPECT_EQ(Run("verify e5.mcf").status, 0);
    ASSERT_EQ(Run("extract e5.mcf y").status, 0);
    EXPECT_EQ(Read("y/empty"), Bytes{});

    // Bytes after a stream's end are still noticed.
    Write("s.txt", Sample());
    ASSERT_EQ(Run("implode s.txt s.imp").status, 0);
    Bytes longer = Read("s.imp");
    longer.push_back(0);
    Write("l.imp", longer);
    r = Run("explode l.imp -");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("mcftool: l.imp: note: bytes after the end"), std::string::npos) << r.err;
    EXPECT_EQ(Str(r.out), Sample());
}

TEST_F(Mcftool, ListAndVerifyStatusTellTheTruth)
{
    Bytes good = Container({{"One.txt", Sample()}, {"Two.txt", Str("two two two two")}});
    WriteBadCrc("crc.mcf", good);
    Result r = Run("list crc.mcf");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("One.txt  !! CRC"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Two.txt"), std::string::npos) << "listed after the damaged one";
    EXPECT_EQ(r.out.find(" files"), std::string::npos) << "no total: " << r.out;
    EXPECT_NE(r.err.find("mcftool: crc.mcf: 1 of 2 files are damaged"), std::string::npos);

    // The second record's header cut: the first is listed, then the error.
    Bytes cut(good.begin(), good.end() - 20);
    uint32_t first = good[4] | good[5] << 8 | good[6] << 16 | (uint32_t)good[7] << 24;
    cut.resize(4 + 268 + first + 100);
    Write("cut.mcf", cut);
    r = Run("list cut.mcf");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("One.txt"), std::string::npos);
    EXPECT_EQ(r.out.find(" files"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("record header runs past the end"), std::string::npos) << r.err;
    Write("junk.mcf", Str("MCFXjunk"));
    r = Run("list junk.mcf");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "") << "no heading and no total for garbage";

    // Names one file on Windows, and names Windows cannot create.
    for (auto files : {std::vector<std::pair<std::string, Bytes>>{{"Readme.txt", Str("a")},
                                                                  {"README.TXT", Str("b")}},
                       std::vector<std::pair<std::string, Bytes>>{{"\xc4.txt", Str("a")},
                                                                  {"\xe4.txt", Str("b")}},
                       std::vector<std::pair<std::string, Bytes>>{{"aux", Str("a")}},
                       std::vector<std::pair<std::string, Bytes>>{{"con.txt", Str("a")}},
                       std::vector<std::pair<std::string, Bytes>>{{"q?.txt", Str("a")}},
                       std::vector<std::pair<std::string, Bytes>>{{"dot.", Str("a")}}}) {
        Write("names.mcf", Container(files));
        r = Run("verify names.mcf");
        EXPECT_EQ(r.status, 1) << files[0].first;
        EXPECT_EQ(r.out, "") << files[0].first;
    }

    // A setup.exe cut short: its sections run past the end.
    Bytes pe = MakePe(good);
    Write("setup.exe", pe);
    EXPECT_EQ(Run("verify setup.exe").status, 0);
    Write("cut.exe", Bytes(pe.begin(), pe.end() - 1));
    r = Run("verify cut.exe");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("mcftool: cut.exe: PE file cut short"), std::string::npos) << r.err;
}

TEST_F(Mcftool, CommandLineHabits)
{
    Result r = Run("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("mcftool ", 0), 0u) << r.out;
    for (const char *args : {"implode -f", "explode -f onlyone", "pack -f", "extract -f x.mcf",
                             "implode --force --dict 100 a b", "list --frobnicate x"})
        EXPECT_EQ(Run(args).status, 2) << args;
    // Options go before the operands; after "--" a name may start with a dash.
    Write("-in.txt", Sample());
    EXPECT_EQ(Run("implode -- -in.txt -out.imp").status, 0);
    r = Run("explode -- -out.imp -");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Str(r.out), Sample());
    // Not a terminal: nothing but results on standard output, no progress.
    Write("big.bin", Noise(3 << 20, 9));
    r = Run("implode big.bin big.imp");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

} // namespace
