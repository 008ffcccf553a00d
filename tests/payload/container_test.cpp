// The container reader: the walk, its end, and the guards against headers,
// streams and names that would take the extraction outside its bounds.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "bytes.h"
#include "container.h"

namespace {

void Put32(Bytes *b, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b->push_back((unsigned char)(v >> (8 * i)));
}

// A record as the packer writes it: the name padded with zeros to 260 bytes.
void AddRecord(Bytes *c, const std::string &name, const Bytes &stream, uint32_t crc = 0x1234,
               uint32_t declared = 0xFFFFFFFFu)
{
    Put32(c, declared == 0xFFFFFFFFu ? (uint32_t)stream.size() : declared);
    Put32(c, crc);
    Bytes field(MCF_NAME_SIZE, 0);
    memcpy(field.data(), name.data(), std::min(name.size(), field.size()));
    c->insert(c->end(), field.begin(), field.end());
    c->insert(c->end(), stream.begin(), stream.end());
}

Bytes Magic()
{
    return Bytes{'M', 'C', 'F', 'X'};
}

// Walks a whole container; returns the final code and the names seen.
int Walk(const Bytes &c, std::vector<std::string> *names, size_t size = SIZE_MAX)
{
    McfReader r;
    int code = McfOpen(&r, c.data(), (uint32_t)std::min(size, c.size()));
    if (code != MCF_RECORD)
        return code;
    McfRecord rec;
    const unsigned char *stream;
    while ((code = McfNext(&r, &rec, &stream)) == MCF_RECORD) {
        EXPECT_GE(stream, c.data());
        EXPECT_LE(stream + rec.stream_length, c.data() + c.size());
        names->push_back(rec.file_name);
    }
    return code;
}

TEST(McfContainer, Magic)
{
    McfReader r;
    Bytes good = Magic();
    EXPECT_EQ(McfOpen(&r, good.data(), 4), MCF_RECORD);
    EXPECT_EQ(r.left, 0u);
    EXPECT_EQ(McfOpen(&r, good.data(), 3), MCF_BAD_MAGIC);
    EXPECT_EQ(McfOpen(&r, good.data(), 0), MCF_BAD_MAGIC);
    for (int i = 0; i < 4; i++) {
        Bytes bad = good;
        bad[i] ^= 0x20;
        EXPECT_EQ(McfOpen(&r, bad.data(), 4), MCF_BAD_MAGIC) << "byte " << i;
    }
}

TEST(McfContainer, WalksRecordsInOrder)
{
    Bytes c = Magic();
    AddRecord(&c, "Korvu72.exe", Bytes{1, 2, 3}, 0xAABBCCDD);
    AddRecord(&c, "Empty.dat", Bytes{}, 0);
    AddRecord(&c, "Readme.txt", Bytes(5000, 9));

    McfReader r;
    ASSERT_EQ(McfOpen(&r, c.data(), (uint32_t)c.size()), MCF_RECORD);
    McfRecord rec;
    const unsigned char *stream;
    ASSERT_EQ(McfNext(&r, &rec, &stream), MCF_RECORD);
    EXPECT_STREQ(rec.file_name, "Korvu72.exe");
    EXPECT_EQ(rec.stream_length, 3u);
    EXPECT_EQ(rec.crc32, 0xAABBCCDDu);
    EXPECT_EQ(stream, c.data() + 4 + 268);
    EXPECT_EQ(stream[2], 3);
    ASSERT_EQ(McfNext(&r, &rec, &stream), MCF_RECORD);
    EXPECT_STREQ(rec.file_name, "Empty.dat");
    EXPECT_EQ(rec.stream_length, 0u);
    ASSERT_EQ(McfNext(&r, &rec, &stream), MCF_RECORD);
    EXPECT_EQ(rec.stream_length, 5000u);
    EXPECT_EQ(McfNext(&r, &rec, &stream), MCF_END);
    EXPECT_EQ(McfNext(&r, &rec, &stream), MCF_END) << "END again";
    EXPECT_EQ(stream, nullptr);
}

TEST(McfContainer, EmptyNameEndsTheContainer)
{
    Bytes c = Magic();
    AddRecord(&c, "First.dll", Bytes{7});
    AddRecord(&c, "", Bytes{});
    c.push_back(0xEE); // ignored
    AddRecord(&c, "Never.dll", Bytes{7});
    std::vector<std::string> names;
    EXPECT_EQ(Walk(c, &names), MCF_END);
    EXPECT_EQ(names, std::vector<std::string>{"First.dll"});

    names.clear();
    EXPECT_EQ(Walk(Magic(), &names), MCF_END) << "magic alone";
    EXPECT_TRUE(names.empty());
}

TEST(McfContainer, RefusesRecordsThatRunPastTheEnd)
{
    Bytes c = Magic();
    AddRecord(&c, "One.dll", Bytes(100, 1));
    const size_t whole = c.size();
    std::vector<std::string> names;
    // Every cut inside the header, then every cut inside the stream.
    for (size_t size = 5; size < whole; size++) {
        names.clear();
        int expected = size < 4 + MCF_HEADER_SIZE ? MCF_BAD_HEADER : MCF_BAD_STREAM;
        EXPECT_EQ(Walk(c, &names, size), expected) << "size " << size;
        EXPECT_TRUE(names.empty());
    }
    // Lengths near the 32-bit limit must not wrap around.
    for (uint32_t declared : {101u, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFF0u}) {
        Bytes d = Magic();
        AddRecord(&d, "Big.dll", Bytes(100, 1), 0, declared);
        names.clear();
        EXPECT_EQ(Walk(d, &names), MCF_BAD_STREAM) << declared;
    }
    // The header check comes before the name: a short, nameless tail is bad.
    Bytes tail = Magic();
    tail.resize(4 + 100, 0);
    EXPECT_EQ(Walk(tail, &names), MCF_BAD_HEADER);
}

TEST(McfContainer, RefusesNamesThatLeaveTheDirectory)
{
    const char *bad[] = {"..",
                         ".",
                         "..\\Windows\\win.ini",
                         "sub/file.txt",
                         "C:autoexec.bat",
                         "\\boot.ini",
                         "a\\b",
                         "trailing/",
                         "~kv+Korvu72.exe",
                         "~KV-Readme.txt",
                         "~Kv!"};
    for (const char *name : bad) {
        Bytes c = Magic();
        AddRecord(&c, name, Bytes{1});
        std::vector<std::string> names;
        EXPECT_EQ(Walk(c, &names), MCF_BAD_NAME) << name;
        EXPECT_EQ(McfIsPlainFileName(name), 0) << name;
    }
    // A name that fills all 260 bytes has no terminator.
    Bytes c = Magic();
    AddRecord(&c, std::string(260, 'n'), Bytes{1});
    std::vector<std::string> names;
    EXPECT_EQ(Walk(c, &names), MCF_BAD_NAME);
    // The name is checked before the stream's length.
    Bytes d = Magic();
    AddRecord(&d, "..", Bytes{}, 0, 1000);
    EXPECT_EQ(Walk(d, &names), MCF_BAD_NAME);

    for (const char *good :
         {"Korvu72.exe", "...", "a..b", ".hidden", "Read me.txt", "~k", "~kx", "kv~"})
        EXPECT_EQ(McfIsPlainFileName(good), 1) << good;
    EXPECT_EQ(McfIsPlainFileName(""), 0);
    EXPECT_EQ(McfIsPlainFileName(std::string(259, 'n').c_str()), 1);
}

TEST(McfContainer, LongestNameComesFromTheHeadersUpToTheFirstDamage)
{
    Bytes c = Magic();
    EXPECT_EQ(McfLongestName(c.data(), (uint32_t)c.size()), 0u);
    AddRecord(&c, "Short.txt", Bytes{1, 2, 3});
    AddRecord(&c, std::string(198, 'n'), Bytes{});
    AddRecord(&c, "Mid-length.name", Bytes{4});
    EXPECT_EQ(McfLongestName(c.data(), (uint32_t)c.size()), 198u);
    // A damaged record ends the count; what came before it still counts.
    Bytes damaged = c;
    AddRecord(&damaged, std::string(250, 'x'), Bytes{5}, 0, 1000);
    EXPECT_EQ(McfLongestName(damaged.data(), (uint32_t)damaged.size()), 198u);
    EXPECT_EQ(McfLongestName(c.data(), 3), 0u) << "no magic";
}

} // namespace
