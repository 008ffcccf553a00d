// mcftool as the build and the release use it: commands, exit statuses,
// messages and the files it writes; and the PE resource reader it uses to
// find the container inside a built setup.exe.
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

// A minimal PE32 image with one .rsrc section holding an icon-type decoy
// and the named type CMPFILE with ids 120 (decoy) and 121 (the payload),
// one language each, the way a resource compiler lays them out.
Bytes MakePe(const Bytes &payload, const char *type = "CMPFILE")
{
    const uint32_t kRaw = 0x200, kRva = 0x1000;
    Bytes pe(kRaw + 0x200 + payload.size(), 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    Put32(&pe, 0x3C, 0x40);
    memcpy(&pe[0x40], "PE\0\0", 4);
    Put16(&pe, 0x44, 0x14C); // i386
    Put16(&pe, 0x46, 1);     // one section
    Put16(&pe, 0x54, 224);   // optional header size
    const size_t opt = 0x58;
    Put16(&pe, opt, 0x10B);
    Put32(&pe, opt + 92, 16);
    // The resource directory: address and size (set below).
    const size_t sec = opt + 224;
    memcpy(&pe[sec], ".rsrc", 5);
    Put32(&pe, sec + 12, kRva);
    Put32(&pe, sec + 16, (uint32_t)(pe.size() - kRaw));
    Put32(&pe, sec + 20, kRaw);
    Put32(&pe, sec + 8, (uint32_t)(pe.size() - kRaw));

    // Directory tree, offsets relative to the section start.
    size_t r = kRaw;
    auto dir = [&](size_t at, int named, int ids) {
        Put16(&pe, r + at + 12, named);
        Put16(&pe, r + at + 14, ids);
    };
    auto entry = [&](size_t dir_at, int index, uint32_t key, uint32_t target) {
        Put32(&pe, r + dir_at + 16 + index * 8, key);
        Put32(&pe, r + dir_at + 16 + index * 8 + 4, target);
    };
    dir(0x00, 1, 1); // root: CMPFILE, type 3
    entry(0x00, 0, 0x80000000u | 0x100, 0x80000000u | 0x20);
    entry(0x00, 1, 3, 0x80000000u | 0x60);
    dir(0x20, 0, 2); // CMPFILE: 120, 121
    entry(0x20, 0, 120, 0x80000000u | 0x80);
    entry(0x20, 1, 121, 0x80000000u | 0xA0);
    dir(0x60, 0, 1); // type 3: 121
    entry(0x60, 0, 121, 0x80000000u | 0x80);
    dir(0x80, 0, 1); // decoy language
    entry(0x80, 0, 1033, 0xE0);
    dir(0xA0, 0, 1); // payload language
    entry(0xA0, 0, 1033, 0xF0);
    Put32(&pe, r + 0xE0, kRva + 0x1F0); // decoy data: 4 bytes
    Put32(&pe, r + 0xE4, 4);
    Put32(&pe, r + 0xF0, kRva + 0x200); // payload data
    Put32(&pe, r + 0xF4, (uint32_t)payload.size());
    size_t len = strlen(type);
    Put16(&pe, r + 0x100, (uint32_t)len);
    for (size_t i = 0; i < len; i++)
        Put16(&pe, r + 0x102 + 2 * i, (unsigned char)type[i]);
    memcpy(&pe[r + 0x1F0], "XXXX", 4);
    memcpy(&pe[r + 0x200], payload.data(), payload.size());
    Put32(&pe, opt + 96 + 2 * 8, kRva);
    Put32(&pe, opt + 96 + 2 * 8 + 4, 0x200);
    return pe;
}

class Mcftool : public ToolDirTest {
protected:
    Bytes Sample()
    {
        std::string s;
        for (int i = 0; i < 400; i++)
            s += "[Korvu]\r\nData=C:\\KORVU\\DATA" + std::to_string(i % 17) + "\r\n";
        return Str(s);
    }
};

// ---------------------------------------------------------------- usage

TEST_F(Mcftool, UsageAndMisuse)
{
    Result r = Run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: mcftool"), std::string::npos);
    EXPECT_EQ(Run("pack --help").status, 0);
    for (const char *args :
         {"", "frobnicate x", "implode onlyone", "implode --dict 512 a b", "implode --fast a b",
          "explode a", "pack", "pack --best", "list", "list a b", "verify", "extract x.mcf"}) {
        r = Run(args);
        EXPECT_EQ(r.status, 2) << "mcftool " << args;
        EXPECT_NE(r.err.find("usage: mcftool"), std::string::npos) << "mcftool " << args;
    }
}

TEST_F(Mcftool, UnreadableAndUnwritableFilesGiveOneLine)
{
    Write("in.txt", Str("hello hello hello"));
    for (const char *args :
         {"implode missing.txt out", "explode missing.imp out", "pack out.mcf missing.txt",
          "list missing.mcf", "verify missing.mcf", "implode in.txt no/such/dir/out"}) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
        EXPECT_EQ(r.err.rfind("mcftool: ", 0), 0u) << r.err;
    }
    EXPECT_FALSE(Exists("out.mcf"));
    Write("junk.bin", Str("not a container, not a PE"));
    Result r = Run("list junk.bin");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("neither a container"), std::string::npos) << r.err;
}

// ---------------------------------------------------------------- implode / explode

TEST_F(Mcftool, ImplodeHeadersAndRoundTrip)
{
    Write("in.ini", Sample());
    struct {
        const char *options;
        unsigned char mode, bits;
    } cases[] = {{"", 0, 6},
                 {"--text", 1, 6},
                 {"--dict 1024", 0, 4},
                 {"--dict 2048 --text", 1, 5},
                 {"--text --binary", 0, 6}};
    for (auto &c : cases) {
        ASSERT_EQ(Run(std::string("implode -f ") + c.options + " in.ini out.imp").status, 0);
        Bytes stream = Read("out.imp");
        ASSERT_GE(stream.size(), 2u);
        EXPECT_EQ(stream[0], c.mode) << c.options;
        EXPECT_EQ(stream[1], c.bits) << c.options;
        ImplodeHeader h = {c.mode, c.bits};
        Bytes in = Sample();
        EXPECT_EQ(stream, ImplodeOptimal(in.data(), in.size(), h)) << "the optimal stream";
        ASSERT_EQ(Run("explode --force out.imp back.ini").status, 0);
        EXPECT_EQ(Read("back.ini"), Sample());
    }
}

TEST_F(Mcftool, ExplodeFailureStatusAndNoPartialOutput)
{
    Bytes in = Sample();
    Bytes stream = ImplodeOptimal(in.data(), in.size(), kDefaultHeader);
    Bytes cut(stream.begin(), stream.begin() + stream.size() / 2);
    Write("cut.imp", cut);
    Result r = Run("explode cut.imp out.bin");
    EXPECT_EQ(r.status, 14);
    EXPECT_NE(r.err.find("IMPLODE_TRUNCATED"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out.bin")) << "a failed decode leaves nothing";
    // On standard output, exactly what the decoder wrote before it failed.
    r = Run("explode cut.imp -");
    EXPECT_EQ(r.status, 14);
    DecodedStream d = DecodeStream(cut.data(), cut.size());
    EXPECT_EQ(Str(r.out), d.out);
    EXPECT_GT(d.out.size(), 100u);
    Write("out.bin", Str("before"));

    struct {
        Bytes stream;
        int status;
        const char *name;
    } cases[] = {{Bytes{0, 7, 1, 0xFF, 0}, 11, "IMPLODE_BAD_DICTSIZE"},
                 {Bytes{2, 6, 1, 0xFF, 0}, 12, "IMPLODE_BAD_MODE"},
                 {Bytes{0, 6, 1, 0xFF}, 13, "IMPLODE_SHORT_INPUT"}};
    for (auto &c : cases) {
        Write("bad.imp", c.stream);
        r = Run("explode -f bad.imp out.bin");
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_NE(r.err.find(c.name), std::string::npos) << r.err;
        EXPECT_EQ(Read("out.bin"), Str("before")) << "an existing OUT stays as it was";
    }
}

// ---------------------------------------------------------------- pack and friends

TEST_F(Mcftool, PackVerifyListExtract)
{
    Write("Readme.txt", Sample());
    Write("Empty.dat", Bytes{});
    Write("One.bin", Bytes{0x42});
    ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
    Write("sub/Korvu.ini", Str("[Korvu]\r\n"));
    ASSERT_EQ(Run("pack p.mcf Readme.txt Empty.dat One.bin sub/Korvu.ini").status, 0);

    // The layout, read back with the product's reader.
    Bytes c = Read("p.mcf");
    const unsigned char *data;
    uint32_t size;
    std::string why;
    ASSERT_TRUE(LocateContainer(c, &data, &size, &why));
    McfReader reader;
    ASSERT_EQ(McfOpen(&reader, data, size), MCF_RECORD);
    McfRecord rec;
    const unsigned char *stream;
    const char *names[] = {"Readme.txt", "Empty.dat", "One.bin", "Korvu.ini"};
    for (const char *name : names) {
        ASSERT_EQ(McfNext(&reader, &rec, &stream), MCF_RECORD);
        EXPECT_STREQ(rec.file_name, name);
        EXPECT_EQ(rec.file_name[strlen(name) + 1], 0) << "the field is padded with zeros";
        if (strcmp(name, "Empty.dat") == 0) {
            EXPECT_EQ(rec.stream_length, 0u);
            EXPECT_EQ(rec.crc32, 0u);
        } else {
            EXPECT_EQ(stream[0], 0);
            EXPECT_EQ(stream[1], 6) << "binary, 4,096-byte window";
        }
    }
    EXPECT_EQ(McfNext(&reader, &rec, &stream), MCF_END);
    EXPECT_EQ(reader.left, 0u) << "the records fill the container";

    Result r = Run("verify p.mcf");
    EXPECT_EQ(r.status, 0) << r.err;
    r = Run("list p.mcf");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Readme.txt"), std::string::npos);
    EXPECT_NE(r.out.find("00 06"), std::string::npos);
    EXPECT_NE(r.out.find("4 files"), std::string::npos) << r.out;

    ASSERT_EQ(Run("extract p.mcf out").status, 0);
    EXPECT_EQ(Read("out/Readme.txt"), Sample());
    EXPECT_EQ(Read("out/Empty.dat"), Bytes{});
    EXPECT_EQ(Read("out/One.bin"), Bytes{0x42});
    EXPECT_EQ(Read("out/Korvu.ini"), Str("[Korvu]\r\n"));
}

TEST_F(Mcftool, PackBestIsNeverLarger)
{
    Write("Readme.txt", Sample());
    ASSERT_EQ(Run("pack plain.mcf Readme.txt").status, 0);
    ASSERT_EQ(Run("pack --best best.mcf Readme.txt").status, 0);
    Bytes plain = Read("plain.mcf"), best = Read("best.mcf");
    EXPECT_LE(best.size(), plain.size());
    EXPECT_EQ(best[4 + 268], 1) << "text literals win on an ini file";
    EXPECT_EQ(Run("verify best.mcf").status, 0);
}

TEST_F(Mcftool, PackRefusesNamesTheExtractionWouldRefuse)
{
    Write("a.txt", Str("a"));
    ASSERT_EQ(mkdir(Path("d").c_str(), 0755), 0);
    Write("d/A.TXT", Str("b"));
    Write("c:d", Str("c"));
    for (const char *files : {"a.txt d/..", "a.txt d/A.TXT", "c:d", "a.txt ."}) {
        Result r = Run(std::string("pack p.mcf ") + files);
        EXPECT_EQ(r.status, 1) << files;
        EXPECT_NE(r.err.find("cannot be packed"), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("p.mcf")) << files;
    }
    EXPECT_EQ(CheckRecordName(std::string(259, 'n')), "");
    EXPECT_NE(CheckRecordName(std::string(260, 'n')), "");
    EXPECT_EQ(BaseName("C:\\Korvu\\Korvu72.exe"), "Korvu72.exe");
    EXPECT_EQ(BaseName("samples/files/Readme.txt"), "Readme.txt");
}

TEST_F(Mcftool, VerifyAndExtractFindDamage)
{
    Write("Readme.txt", Sample());
    Write("Two.txt", Str("two two two two"));
    ASSERT_EQ(Run("pack p.mcf Readme.txt Two.txt").status, 0);
    Bytes good = Read("p.mcf");

    Bytes bad_crc = good;
    bad_crc[4 + 4] ^= 1;
    Write("crc.mcf", bad_crc);
    Result r = Run("verify crc.mcf");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Readme.txt: CRC"), std::string::npos) << r.err;
    r = Run("extract crc.mcf out");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(Exists("out/Readme.txt")) << "a damaged file is not written";

    Write("short.mcf", Bytes(good.begin(), good.end() - 1));
    r = Run("verify short.mcf");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("runs past the end"), std::string::npos) << r.err;

    // A stream with bytes behind its end unit.
    Bytes longer = good;
    uint32_t first = longer[4] | longer[5] << 8 | longer[6] << 16 | (uint32_t)longer[7] << 24;
    longer.insert(longer.begin() + 4 + 268 + first, 0);
    longer[4] = (unsigned char)(first + 1);
    longer[5] = (unsigned char)((first + 1) >> 8);
    Write("long.mcf", longer);
    r = Run("verify long.mcf");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("after the end"), std::string::npos) << r.err;

    Bytes unsafe = good;
    memcpy(&unsafe[4 + 8], "..\0", 3);
    Write("unsafe.mcf", unsafe);
    r = Run("extract unsafe.mcf out2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a plain file name"), std::string::npos) << r.err;
    EXPECT_EQ(system(("test -z \"$(ls -A '" + Path("out2") + "')\"").c_str()), 0)
        << "nothing written";
}

// ---------------------------------------------------------------- setup.exe

TEST_F(Mcftool, ReadsTheContainerOutOfAPeFile)
{
    Write("Readme.txt", Sample());
    ASSERT_EQ(Run("pack p.mcf Readme.txt").status, 0);
    Bytes container = Read("p.mcf");
    Bytes pe = MakePe(container);
    size_t offset;
    uint32_t length;
    ASSERT_TRUE(PeFindResource(pe.data(), pe.size(), "CMPFILE", 121, &offset, &length));
    EXPECT_EQ(length, container.size());
    EXPECT_TRUE(std::equal(container.begin(), container.end(), pe.begin() + offset));
    EXPECT_FALSE(PeFindResource(pe.data(), pe.size(), "CMPFILE", 122, &offset, &length));
    EXPECT_FALSE(PeFindResource(pe.data(), pe.size(), "BITMAP", 121, &offset, &length));
    EXPECT_TRUE(PeFindResource(pe.data(), pe.size(), "cmpfile", 121, &offset, &length));

    Write("setup.exe", pe);
    EXPECT_EQ(Run("verify setup.exe").status, 0);
    Result r = Run("list setup.exe");
    EXPECT_NE(r.out.find("Readme.txt"), std::string::npos);
    ASSERT_EQ(Run("extract setup.exe out").status, 0);
    EXPECT_EQ(Read("out/Readme.txt"), Sample());

    // Every cut of the file fails cleanly, never reading past it.
    for (size_t cut = 0; cut < pe.size(); cut += 7)
        EXPECT_FALSE(PeFindResource(pe.data(), cut, "CMPFILE", 121, &offset, &length) &&
                     offset + length > cut)
            << cut;
    Write("cut.exe", Bytes(pe.begin(), pe.begin() + 0x300));
    r = Run("list cut.exe");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cut short"), std::string::npos) << r.err;
}

// ---------------------------------------------------------------- never lose a file

Bytes Noise(size_t n, uint32_t state)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++) {
        state = state * 1103515245u + 12345u;
        b[i] = (unsigned char)(state >> 16);
    }
    return b;
}

// A container written by hand, for what pack would refuse to write.
Bytes Container(const std::vector<std::pair<std::string, Bytes>> &files)
{
    Bytes c(MCF_MAGIC, MCF_MAGIC + 4);
    for (const auto &f : files) {
        Bytes stream = f.second.empty()
                           ? Bytes()
                           : ImplodeOptimal(f.second.data(), f.second.size(), kDefaultHeader);
        AppendRecord(&c, f.first, Crc32Of(f.second.data(), f.second.size()), stream);
    }
    return c;
}

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
    Bytes bad_crc = good;
    bad_crc[4 + 4] ^= 1;
    Write("crc.mcf", bad_crc);
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

TEST(PeWrite, StreamedGivesTheSameBytes)
{
    Bytes stub = MakePe(Container({{"Old.txt", Str("old")}}));
    Put32(&stub, 0x58 + 32, 0x1000); // section alignment
    Put32(&stub, 0x58 + 36, 0x200);  // file alignment
    for (size_t size : {size_t(0), size_t(1), size_t(4097), size_t(300001)}) {
        Bytes payload = Noise(size, (uint32_t)size);
        PeResourceWrite whole;
        std::string why;
        ASSERT_TRUE(PeWriteResource(stub, "CMPFILE", 121, payload, &whole, &why)) << why;
        FILE *f = tmpfile();
        ASSERT_NE(f, nullptr);
        std::vector<std::string> notes;
        ASSERT_TRUE(PeWriteResourceStreamed(
            stub, "CMPFILE", 121, payload.size(),
            [&](const ByteSinkFn &sink) {
                // Pieces of odd sizes, as a spill file or the encoder give them.
                for (size_t at = 0, n = 1; at < payload.size(); at += n, n = n * 7 % 4093 + 1)
                    if (!sink(payload.data() + at, std::min(n, payload.size() - at)))
                        return false;
                return true;
            },
            f, &notes, &why))
            << why;
        Bytes streamed(whole.image.size() + 10);
        rewind(f);
        streamed.resize(fread(streamed.data(), 1, streamed.size(), f));
        fclose(f);
        EXPECT_TRUE(streamed == whole.image) << "payload of " << size << " bytes";
    }
}

} // namespace
