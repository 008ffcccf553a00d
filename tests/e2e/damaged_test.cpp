// A damaged payload: the installation stops with the internal error.
#include "scenario.h"

using namespace e2e;

namespace {

// ---- 6: a damaged payload -------------------------------------------------

uint32_t Crc32(const std::string &bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// The payload's check value (resource 122): its length and CRC-32.
std::string CheckValueOf(const std::string &payload)
{
    std::string value(8, '\0');
    uint32_t words[2] = {(uint32_t)payload.size(), Crc32(payload)};
    for (int i = 0; i < 8; i++)
        value[i] = (char)(words[i / 4] >> (8 * (i % 4)));
    return value;
}

// A copy of setup.exe with the byte at `offset` of its payload flipped, as
// a bad download would have it; empty (and a failure) if it cannot be made.
// `matchingCheck`: the check value made to match the damaged payload, as in
// a setup.exe built from bad bytes, so that only the extraction can find it.
} // namespace

std::string DamagedCopy(const std::string &payload, size_t offset, bool matchingCheck)
{
    std::string bad = ScratchDir() + "setupbad.exe";
    std::string image = ReadBytes(SetupExe());
    size_t at = image.find(payload);
    EXPECT_NE(std::string::npos, at) << "payload not found in the file";
    if (at == std::string::npos)
        return "";
    image[at + offset] ^= 0xFF;
    if (matchingCheck) {
        std::string check = CheckValueOf(payload);
        size_t checkAt = image.find(check);
        EXPECT_NE(std::string::npos, checkAt) << "no check value in the file";
        if (checkAt != std::string::npos)
            image.replace(checkAt, 8, CheckValueOf(image.substr(at, payload.size())));
    }
    EXPECT_TRUE(WriteBytes(bad, image)) << bad;
    std::string error;
    std::string badPayload = PayloadOf(bad, &error);
    EXPECT_EQ(payload.size(), badPayload.size()) << error;
    EXPECT_NE(payload, badPayload);
    return bad;
}

// Installs from `bad` until its internal error `message` (photographed as
// `boxShot` when given) and OK; then nothing may be left of the run: no
// file, not even the directories it made, none of the later steps.
void E2E::ExpectDamagedRefused(const std::string &bad, const std::string &shots,
                               const std::string &message, const std::string &boxShot)
{
    HWND dialog = OpenSetupDialog(bad, "winxp");
    ASSERT_TRUE(dialog);
    RunSeen seen = Install(dialog, shots);
    ASSERT_FALSE(seen.finish) << "the finish dialog came after a damaged payload";
    AnswerBox(seen.box, message, boxShot);
    ExpectEndWithoutFinish();
    EXPECT_FALSE(DirExists("C:\\Korvu")) << Listing(ListDir("C:\\Korvu"));
    ExpectNoShortcuts();
}

namespace {

TEST_F(E2E, DamagedPayloadStopsWithInternalError13)
{
    // One byte in the middle of the last file's stream.
    std::string error;
    std::string payload = PayloadOf(SetupExe(), &error);
    ASSERT_FALSE(payload.empty()) << error;
    std::vector<Record> records = RecordsOf(payload);
    ASSERT_GE(records.size(), 2u) << "the payload needs two files, one before the damaged one";
    const Record &damaged = records.back();
    std::string bad = DamagedCopy(payload, damaged.streamOffset + damaged.streamLength / 2);
    ASSERT_FALSE(bad.empty());
    ExpectDamagedRefused(bad, "damaged", "Internal Error 13\n\n(Status:0)",
                         "damaged-3-internal-error");
}

// The magic damaged: refused before any file is written.
TEST_F(E2E, DamagedMagicStopsWithInternalError10)
{
    std::string error;
    std::string payload = PayloadOf(SetupExe(), &error);
    ASSERT_FALSE(payload.empty()) << error;
    std::string bad = DamagedCopy(payload, 0);
    ASSERT_FALSE(bad.empty());
    ExpectDamagedRefused(bad, "magic", "Internal Error 10\n\n(Status:0)", "");
}

} // namespace
