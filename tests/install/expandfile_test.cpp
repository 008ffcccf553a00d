// ExpandFile and the two callbacks it gives the decoder: the stream handed
// out block by block, the output buffered and a failed write noted.
#include "copydlg.h"
#include "extracttest.h"

#include <algorithm>

TEST_F(ExtractTest, ReadStreamBlockHandsOutTheStreamOnce)
{
    std::string stream = SampleData(5000, 21);
    ExpandContext context = {stream.data(), 0, 5000, NULL, 5000, 0xFFFFFFFFu, 0, NULL, 0, 0};
    std::string got;
    uint32_t sizes[4];
    for (int i = 0; i < 4; i++) {
        char buffer[2048];
        uint32_t size = sizeof buffer;
        sizes[i] = ReadStreamBlock(buffer, &size, &context);
        got.append(buffer, sizes[i]);
    }
    EXPECT_EQ(2048u, sizes[0]);
    EXPECT_EQ(2048u, sizes[1]);
    EXPECT_EQ(904u, sizes[2]);
    EXPECT_EQ(0u, sizes[3]);
    EXPECT_TRUE(stream == got);
    EXPECT_EQ(5000u, context.position);
    EXPECT_EQ(0u, context.remaining);
}

TEST_F(ExtractTest, WriteExpandedBlockNotesAWriteThatFails)
{
    std::string path = dir + "out.bin";
    ASSERT_TRUE(WriteBytes(path, ""));
    // A file open for reading only: every write fails, once 64 KB are there.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::vector<char> buffer(65536);
    ExpandContext context = {NULL, 0, 0, file, 0, 0xFFFFFFFFu, 0, buffer.data(), 0, 0};
    std::string data = "123456789" + SampleData(70000, 9);
    // As the decoder hands them out: blocks of at most 4 KB.
    for (size_t at = 0; at < data.size(); at += 4096) {
        uint32_t size = (uint32_t)std::min<size_t>(4096, data.size() - at);
        WriteExpandedBlock(&data[at], &size, &context);
        if (at == 0) {
            EXPECT_EQ(0, context.write_failed) << "the first block waits in the buffer";
            EXPECT_EQ(4096u, context.buffered);
        }
    }
    CloseHandle(file);
    EXPECT_EQ(1, context.write_failed);
    EXPECT_EQ(65536u, context.written);
    EXPECT_EQ(data.size() - 65536u, context.buffered);
    EXPECT_EQ(CrcOf(data), ~context.crc) << "the CRC still covers the decoded bytes";
}

TEST_F(ExtractTest, ExpandFileResults)
{
    std::string data = SampleData(10000, 22);
    Bytes stream = Implode(data);
    uint32_t crc = 0xDEADBEEFu;
    EXPECT_EQ(1, ExpandFile(NULL, &crc, (uint32_t)stream.size(), (const char *)stream.data(),
                            (dir + "a.bin").c_str(), &kStamp));
    EXPECT_EQ(CrcOf(data), crc);
    EXPECT_EQ(FormatTime(kStamp), FormatTime(LastWriteTime(dir + "a.bin")));
    EXPECT_TRUE(data == Content(dir + "a.bin"));

    crc = 0xDEADBEEFu;
    EXPECT_EQ(1, ExpandFile(NULL, &crc, 0, NULL, (dir + "empty.bin").c_str(), &kStamp));
    EXPECT_EQ(0u, crc);
    EXPECT_EQ("", Content(dir + "empty.bin"));

    // Cannot be opened: 0, and the CRC result is left alone.
    crc = 0xDEADBEEFu;
    EXPECT_EQ(0, ExpandFile(NULL, &crc, (uint32_t)stream.size(), (const char *)stream.data(),
                            (dir + "missing\\a.bin").c_str(), &kStamp));
    EXPECT_EQ(0xDEADBEEFu, crc);

    // A decoder error: 0, the CRC result untouched.
    Bytes bad = stream;
    bad[0] = 9;
    EXPECT_EQ(0, ExpandFile(NULL, &crc, (uint32_t)bad.size(), (const char *)bad.data(),
                            (dir + "b.bin").c_str(), &kStamp));
    EXPECT_EQ(0xDEADBEEFu, crc);
}
