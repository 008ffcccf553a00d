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

    WriteBadCrc("crc.mcf", good);
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
