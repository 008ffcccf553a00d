// The extraction over the real copy dialog: containers made in memory are
// walked by ExpandContainer, the routine UncompressMcfFile hands the payload
// resource to; the files land on Wine's drive C: (and on a full tmpfs).
#include "copydlg.h"
#include "extracttest.h"
#include "installtest.h"
#include "resource.h"
#include <commctrl.h>
#include <gtest/gtest.h>

const FILETIME kStamp = {0x12345600u, 0x01D00000u}; // 2014, an unmistakable time

namespace {

// One extraction into `dir` with the real dialog: result, boxes, progress.
struct Extraction {
    int result = -1;
    std::vector<std::string> boxes;
    std::vector<unsigned> positions;
    std::string label;
    int dialogAlive = 0;
    int backgroundAlive = 0;
    int quitPosted = 0;
    unsigned rangeHigh = 0;
};

Extraction Extract(const std::string &dir, const Bytes &container, HANDLE releaseAtRetry = NULL)
{
    SetupOptions options = MakeOptions(dir, dir + "Data", dir);
    CopyDialog windows = OpenCopyDialog(&options);
    Extraction seen;
    if (!windows.dialog) {
        ADD_FAILURE() << "copy dialog not created, error " << GetLastError();
        return seen;
    }
    ProgressLog progress;
    WatchProgress(windows.dialog, &progress);
    BoxLog boxes;
    boxes.releaseAtRetry = releaseAtRetry;
    StartBoxLog(&boxes);
    HWND bar = GetDlgItem(windows.dialog, IDC_CDLG_PRG_CPFILE);
    seen.result =
        ExpandContainer(windows.dialog, bar, container.data(), (uint32_t)container.size(), &kStamp);
    seen.boxes = StopBoxLog(&boxes);
    seen.positions = progress.positions;
    seen.dialogAlive = IsWindow(windows.dialog);
    seen.backgroundAlive = IsWindow(windows.background);
    if (seen.dialogAlive) {
        char text[MAX_PATH] = "";
        GetDlgItemTextA(windows.dialog, IDC_CDLG_LBL_FNAME, text, sizeof text);
        seen.label = text;
        seen.rangeHigh = (unsigned)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    }
    seen.quitPosted = CloseCopyDialog(&windows);
    return seen;
}

// A failure: reported once with status 0, both windows gone, program ending.
void ExpectFailure(const Extraction &seen, const char *number)
{
    std::string expected = std::string("Internal Error ") + number + "\n\n(Status:0)";
    EXPECT_EQ(0, seen.result);
    ASSERT_EQ(1u, seen.boxes.size()) << Joined(seen.boxes);
    EXPECT_EQ(expected, seen.boxes[0]);
    EXPECT_FALSE(seen.dialogAlive);
    EXPECT_FALSE(seen.backgroundAlive);
    EXPECT_TRUE(seen.quitPosted);
}

void ExpectSuccess(const Extraction &seen)
{
    EXPECT_EQ(1, seen.result);
    EXPECT_TRUE(seen.boxes.empty()) << Joined(seen.boxes);
    EXPECT_TRUE(seen.dialogAlive);
    EXPECT_TRUE(seen.backgroundAlive);
    EXPECT_FALSE(seen.quitPosted);
}

} // namespace

std::string Content(const std::string &path)
{
    std::string data;
    if (!ReadBytes(path, &data))
        return "<missing>";
    return data;
}

namespace {

int FileCount(const std::string &dir)
{
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

} // namespace

TEST_F(ExtractTest, MagicAloneWritesNothing)
{
    Extraction seen = Extract(dir, NewContainer());
    ExpectSuccess(seen);
    EXPECT_EQ(0, FileCount(dir));
    EXPECT_TRUE(seen.positions.empty());
    EXPECT_EQ(4u, seen.rangeHigh);
}

TEST_F(ExtractTest, RecordsAreWrittenCheckedStampedAndCounted)
{
    std::string readme = "Korvu ark 7.2\r\nRead me first.\r\n";
    std::string ledger = SampleData(300000, 7);
    std::string small = SampleData(5000, 8);
    Bytes container = NewContainer();
    AddRecord(&container, "Readme.txt", readme);
    AddRecord(&container, "Ledger.kdb", ledger);
    AddRecord(&container, "Empty.dat", "");
    AddRecord(&container, "Small.bin", small);
    Extraction seen = Extract(dir, container);
    ExpectSuccess(seen);

    EXPECT_EQ(readme, Content(dir + "Readme.txt"));
    EXPECT_TRUE(ledger == Content(dir + "Ledger.kdb")) << "Ledger.kdb differs";
    EXPECT_EQ("", Content(dir + "Empty.dat"));
    EXPECT_TRUE(small == Content(dir + "Small.bin")) << "Small.bin differs";
    EXPECT_EQ(4, FileCount(dir));

    // Every file, the empty one too, carries the stamp it was given.
    for (const char *name : {"Readme.txt", "Ledger.kdb", "Empty.dat", "Small.bin"})
        EXPECT_EQ(FormatTime(kStamp), FormatTime(LastWriteTime(dir + name))) << name;

    // Positions: the running sum of stream lengths, rising, in steps of at
    // least a 32nd of the range, ending at the sum of all.
    unsigned sum =
        (unsigned)(Implode(readme).size() + Implode(ledger).size() + Implode(small).size());
    ASSERT_FALSE(seen.positions.empty());
    EXPECT_EQ(sum, seen.positions.back());
    for (size_t i = 1; i + 1 < seen.positions.size(); i++)
        EXPECT_GE(seen.positions[i] - seen.positions[i - 1], (unsigned)container.size() / 32);
    EXPECT_EQ(4, FileCount(dir)) << "no temporary file is left";
    EXPECT_EQ((unsigned)container.size(), seen.rangeHigh);
    EXPECT_EQ(dir + "Small.bin", seen.label);
}

TEST_F(ExtractTest, EmptyNameEndsTheWalk)
{
    Bytes container = NewContainer();
    AddRecord(&container, "First.txt", "first");
    AddRawRecord(&container, "", 0x1234, Bytes(40, 0xEE)); // ignored, with what follows
    AddRecord(&container, "After.txt", "after");
    Extraction seen = Extract(dir, container);
    ExpectSuccess(seen);
    EXPECT_EQ("first", Content(dir + "First.txt"));
    EXPECT_FALSE(Exists(dir + "After.txt"));
    EXPECT_EQ(1u, seen.positions.size());
}

// Nothing is put in place before every file is expanded and checked.
TEST_F(ExtractTest, CrcMismatchIsError13AndLeavesNothing)
{
    std::string data = SampleData(20000, 3);
    Bytes container = NewContainer();
    AddRecord(&container, "First.txt", "first");
    AddRawRecord(&container, "Bad.dat", CrcOf(data) ^ 1, Implode(data));
    AddRecord(&container, "Later.txt", "later");
    Extraction seen = Extract(dir, container);
    ExpectFailure(seen, "13");
    EXPECT_EQ(0, FileCount(dir));
}

TEST_F(ExtractTest, StreamWithUnusedBytesIsError13)
{
    // More than one read block beyond the end unit: the decoder never asks
    // for them, so the stream was not used up.
    Bytes stream = Implode("short text");
    stream.insert(stream.end(), 3000, 0);
    Bytes container = NewContainer();
    AddRawRecord(&container, "Padded.txt", CrcOf("short text"), stream);
    ExpectFailure(Extract(dir, container), "13");
}

TEST_F(ExtractTest, DecoderErrorsAreError13)
{
    Bytes badDictionary = Implode("hello");
    badDictionary[1] = 7;
    Bytes truncated = Implode(SampleData(5000, 4));
    truncated.resize(truncated.size() / 2);
    for (const Bytes &stream : {badDictionary, truncated}) {
        Bytes container = NewContainer();
        AddRawRecord(&container, "Broken.txt", 0, stream);
        ExpectFailure(Extract(dir, container), "13");
    }
}

TEST_F(ExtractTest, BadMagicIsError10BeforeAnyFile)
{
    Bytes container = NewContainer();
    AddRecord(&container, "Readme.txt", "text");
    for (int i = 0; i < 4; i++) {
        Bytes bad = container;
        bad[i] ^= 0x20;
        Extraction seen = Extract(dir, bad);
        ExpectFailure(seen, "10");
        EXPECT_EQ(0, FileCount(dir)) << "magic byte " << i;
    }
    ExpectFailure(Extract(dir, Bytes{'M', 'C'}), "10");
    ExpectFailure(Extract(dir, Bytes()), "10");
}

TEST_F(ExtractTest, TruncatedContainers)
{
    Bytes good = NewContainer();
    AddRecord(&good, "One.txt", "one");
    AddRecord(&good, "Two.txt", SampleData(4000, 5));
    size_t second = 4 + 268 + Implode("one").size();

    // Header cut short: error 10, and the file before it is not left.
    Bytes header = good;
    header.resize(second + 100);
    Extraction seen = Extract(dir, header);
    ExpectFailure(seen, "10");
    EXPECT_EQ(0, FileCount(dir));

    // Stream past the end: error 13, and nothing is read beyond the bytes.
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), NULL);
    Bytes stream = good;
    stream.resize(good.size() - 1);
    seen = Extract(dir, stream);
    ExpectFailure(seen, "13");
    EXPECT_EQ(0, FileCount(dir));
}

TEST_F(ExtractTest, UnsafeNamesAreError10AndWriteNothingOutside)
{
    std::string inner = dir + "app\\";
    CreateDirectoryA(inner.c_str(), NULL);
    for (const char *name :
         {"..\\Escaped.txt", "../Escaped.txt", "sub\\Escaped.txt", "C:Escaped.txt", "..", "."}) {
        Bytes container = NewContainer();
        AddRecord(&container, name, "x");
        Extraction seen = Extract(inner, container);
        ExpectFailure(seen, "10");
        EXPECT_FALSE(Exists(dir + "Escaped.txt")) << name;
        EXPECT_EQ(0, FileCount(inner)) << name;
    }
    // A name that fills its 260 bytes without a terminator.
    Bytes container = NewContainer();
    AddRawRecord(&container, std::string(260, 'n'), 0, Bytes());
    ExpectFailure(Extract(inner, container), "10");
}

TEST_F(ExtractTest, JoinedPathTooLongIsError13)
{
    // app_path of 250 characters plus a 20-character name: 271 bytes.
    std::string app = "C:\\" + std::string(246, 'a') + "\\";
    ASSERT_EQ(250u, app.size());
    Bytes container = NewContainer();
    AddRecord(&container, std::string(20, 'f'), "data");
    ExpectFailure(Extract(app, container), "13");
}

TEST_F(ExtractTest, ReadOnlyFileIsOverwritten)
{
    std::string path = dir + "Readme.txt";
    ASSERT_TRUE(WriteBytes(path, "an older and longer version of the readme"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    Bytes container = NewContainer();
    AddRecord(&container, "Readme.txt", "new readme");
    ExpectSuccess(Extract(dir, container));
    EXPECT_EQ("new readme", Content(path));
    EXPECT_EQ(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
}

std::string InUseMessage(const std::string &path)
{
    return "The file " + path +
           " is in use by another program. Close Korvu ark 7.2 on this "
           "computer and press Retry, or press Cancel to stop the installation.";
}

// A file another program holds (no sharing) is asked about: Cancel ends the
// run as any failed file does, the file untouched.
TEST_F(ExtractTest, FileHeldOpenAsksAndCancelIsError13)
{
    std::string path = dir + "Korvu72.exe";
    ASSERT_TRUE(WriteBytes(path, "running program"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Bytes container = NewContainer();
    AddRecord(&container, "Korvu72.exe", "new program");
    Extraction seen = Extract(dir, container);
    CloseHandle(held);
    EXPECT_EQ(0, seen.result);
    EXPECT_EQ((std::vector<std::string>{InUseMessage(path), "Internal Error 13\n\n(Status:0)"}),
              seen.boxes);
    EXPECT_FALSE(seen.backgroundAlive);
    EXPECT_EQ("running program", Content(path));
    EXPECT_EQ(1, FileCount(dir));
}

// Retry after the other program let go writes the file, and the run goes on.
TEST_F(ExtractTest, FileHeldOpenIsWrittenOnRetryAfterRelease)
{
    std::string path = dir + "Korvu72.exe";
    ASSERT_TRUE(WriteBytes(path, "running program"));
    // Read-only too: the attribute is cleared first, then the box comes.
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Bytes container = NewContainer();
    AddRecord(&container, "Korvu72.exe", "new program");
    AddRecord(&container, "Readme.txt", "after it");
    Extraction seen = Extract(dir, container, held);
    EXPECT_EQ(1, seen.result);
    EXPECT_EQ(std::vector<std::string>{InUseMessage(path)}, seen.boxes);
    EXPECT_EQ("new program", Content(path));
    EXPECT_EQ("after it", Content(dir + "Readme.txt"));
}

TEST_F(ExtractTest, ApplicationDirectoryMissingIsError13)
{
    Bytes container = NewContainer();
    AddRecord(&container, "Readme.txt", "text");
    ExpectFailure(Extract(dir + "missing\\", container), "13");
}

TEST_F(ExtractTest, ProgramWithoutPayloadResourceIsError4)
{
    // This test program carries no CMPFILE resource.
    SetupOptions options = MakeOptions(dir, dir, dir);
    CopyDialog windows = OpenCopyDialog(&options);
    ASSERT_TRUE(windows.dialog != NULL);
    BoxLog boxes;
    StartBoxLog(&boxes);
    int result = UncompressMcfFile(windows.dialog, GetDlgItem(windows.dialog, IDC_CDLG_PRG_CPFILE));
    std::vector<std::string> texts = StopBoxLog(&boxes);
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, texts.size()) << Joined(texts);
    EXPECT_EQ(0u, texts[0].find("Internal Error 4\n\n(Status:")) << texts[0];
    EXPECT_NE(std::string::npos, texts[0].find("(Status:1813)"))
        << "ERROR_RESOURCE_TYPE_NOT_FOUND expected: " << texts[0];
    EXPECT_FALSE(IsWindow(windows.dialog));
    EXPECT_FALSE(IsWindow(windows.background));
    EXPECT_TRUE(CloseCopyDialog(&windows));
}

// ---------------------------------------------------------------- a full disk

// Q: is a 192 KB tmpfs that the test fixture mounts (as root). Without it
// the test is skipped, never passed.
static bool FullDiskReady(std::string *why)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, &free)) {
        *why = "drive Q: is not mapped (the small tmpfs could not be mounted)";
        return false;
    }
    if (total.QuadPart > 4u * 1024 * 1024) {
        *why = "drive Q: is not the small tmpfs";
        return false;
    }
    return true;
}

TEST(FullDisk, ExtractionReportsError13NotSuccess)
{
    std::string why;
    if (!FullDiskReady(&why))
        GTEST_SKIP() << why;
    InitInstallTests();
    std::string dir = "Q:\\app\\";
    RemoveTree(dir);
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << GetLastError();
    std::string big = SampleData(600000, 11);
    Bytes container = NewContainer();
    AddRecord(&container, "Readme.txt", "fits");
    AddRecord(&container, "Ledger.kdb", big);
    AddRecord(&container, "After.txt", "never");
    Extraction seen = Extract(dir, container);
    ExpectFailure(seen, "13");
    EXPECT_EQ(0, FileCount(dir)) << "nothing of the run is left on the full disk";
    RemoveTree(dir);
}
