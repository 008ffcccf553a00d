// Korvu.ini through the real copy dialog as owner, on Wine's real profile
// routines: the template, the two keys, the failures reported, and a full
// disk.
#include "desktoptest.h"

#include <stdio.h>

namespace {

// Korvu.ini's template as it must be written, byte for byte (CR LF), from
// tests/desktop/korvu-template.ini beside the test program.
std::string TemplateBytes()
{
    std::string bytes;
    EXPECT_TRUE(ReadBytes("C:\\run\\korvu-template.ini", &bytes));
    return bytes;
}

std::vector<std::string> TemplateLines()
{
    std::vector<std::string> lines;
    std::string bytes = TemplateBytes();
    for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(bytes.substr(at, end - at));
    return lines;
}

const char kBoth[] =
    "Error - Unable to write data directory path\nand config directory path\nin Korvu.INI file. ";
const char kData[] = "Error - Unable to write data directory path\nin Korvu.INI file. ";
const char kConfig[] = "Error - Unable to write config directory path\nin Korvu.INI file. ";

std::string Trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::vector<std::string> Lines(const std::string &path)
{
    std::string data;
    std::vector<std::string> lines;
    if (!ReadBytes(path, &data))
        return lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        lines.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A comment without indentation and without blanks around "=" (Wine's
// profile writer rewrites ";;kdl = x" as ";;kdl=x"; Windows keeps it).
std::string Comment(const std::string &line)
{
    std::string t = Trim(line);
    size_t eq = t.find('=');
    if (eq != std::string::npos)
        t = Trim(t.substr(0, eq)) + "=" + Trim(t.substr(eq + 1));
    return t;
}

// Comment lines and key names in file order.
std::vector<std::string> Comments(const std::string &path)
{
    std::vector<std::string> out;
    for (const std::string &line : Lines(path))
        if (Trim(line).compare(0, 2, ";;") == 0)
            out.push_back(Comment(line));
    return out;
}

std::vector<std::string> Keys(const std::string &path)
{
    std::vector<std::string> out;
    for (const std::string &line : Lines(path)) {
        std::string t = Trim(line);
        size_t eq = t.find('=');
        if (eq != std::string::npos && t.compare(0, 2, ";;") != 0)
            out.push_back(Trim(t.substr(0, eq)));
    }
    return out;
}

std::string Key(const std::string &ini, const char *section, const char *key)
{
    char value[MAX_PATH];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, ini.c_str());
    return value;
}

struct IniRun {
    int result = -1;
    std::vector<std::string> boxes;
};

IniRun RunChangeINIFile(SetupOptions *options)
{
    CopyDialog windows = OpenCopyDialog(options);
    BoxLog boxes;
    StartBoxLog(&boxes);
    IniRun run;
    run.result = ChangeINIFile(windows.dialog);
    run.boxes = StopBoxLog(&boxes);
    EXPECT_TRUE(IsWindow(windows.dialog)) << "the copy dialog must survive a Korvu.ini failure";
    CloseCopyDialog(&windows);
    return run;
}

} // namespace

TEST_F(DesktopTest, TemplateIsTheThirtyTwoLinesWithCrLf)
{
    HANDLE file = OpenOutput(ini.c_str(), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(1, WriteINITemplate(file));
    CloseHandle(file);
    std::string written;
    ASSERT_TRUE(ReadBytes(ini, &written));
    EXPECT_EQ(32u, TemplateLines().size());
    EXPECT_EQ(TemplateBytes(), written);
}

TEST_F(DesktopTest, NewFileGetsTheTemplateAndBothKeys)
{
    SetupOptions options = MakeOptions(dir, "C:\\Korvu\\Data\\", "C:\\Korvu");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_EQ("C:\\Korvu\\Data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("C:\\Korvu", Key(ini, "Korvu", "Config"));
    EXPECT_EQ("Yes", Key(ini, "Korvu", "Default Companies"));
    EXPECT_EQ("0001", Key(ini, "Korvu", "Load"));
    EXPECT_EQ("Yes", Key(ini, "Korvu", "User KDL"));
    EXPECT_EQ("Yes", Key(ini, "Korvu", "Color"));
    // Wine's profile writer rewrites the file; what must survive is every
    // comment and key of the template, in order.
    std::vector<std::string> comments,
        keys = {"Data", "Default Companies", "Load", "User KDL", "Config", "Color"};
    for (const std::string &line : TemplateLines())
        if (Trim(line).compare(0, 2, ";;") == 0)
            comments.push_back(Comment(line));
    EXPECT_EQ(comments, Comments(ini));
    EXPECT_EQ(keys, Keys(ini));
}

TEST_F(DesktopTest, ExistingFileKeepsItsOtherLines)
{
    ASSERT_TRUE(WriteBytes(ini, ";; my own settings\r\n[Korvu]\r\nData = D:\\Old\\Data\r\n"
                                "Load = 0042\r\n;; keep me\r\nPrinter = LPT2\r\n"
                                "Config = D:\\Old\r\n[Reports]\r\nFooter = Page %p\r\n"));
    SetupOptions options = MakeOptions(dir, "E:\\New\\Data", "E:\\New\\");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_TRUE(run.boxes.empty()) << Joined(run.boxes);
    EXPECT_EQ("E:\\New\\Data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("E:\\New", Key(ini, "Korvu", "Config"));
    EXPECT_EQ("0042", Key(ini, "Korvu", "Load"));
    EXPECT_EQ("LPT2", Key(ini, "Korvu", "Printer"));
    EXPECT_EQ("Page %p", Key(ini, "Reports", "Footer"));
    EXPECT_EQ("<absent>", Key(ini, "Korvu", "Color")) << "no template line may be added";
    EXPECT_EQ(Boxes({";; my own settings", ";; keep me"}), Comments(ini));
    EXPECT_EQ(Boxes({"Data", "Load", "Printer", "Config", "Footer"}), Keys(ini));
}

TEST_F(DesktopTest, FileWithoutTheSectionGetsIt)
{
    ASSERT_TRUE(WriteBytes(ini, "[Reports]\r\nFooter = Page %p\r\n"));
    SetupOptions options = MakeOptions(dir, "C:\\K\\Data", "C:\\K");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ("C:\\K\\Data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("C:\\K", Key(ini, "Korvu", "Config"));
    EXPECT_EQ("Page %p", Key(ini, "Reports", "Footer"));
}

TEST_F(DesktopTest, OneTrailingBackslashIsDropped)
{
    struct Case {
        const char *given;
        const char *stored;
    } cases[] = {{"C:\\D\\", "C:\\D"},
                 {"C:\\D", "C:\\D"},
                 {"C:\\D\\\\", "C:\\D\\"},
                 {"", ""},
                 {"C:\\", "C:"}};
    for (const Case &c : cases) {
        SetupOptions options = MakeOptions(dir, c.given, c.given);
        IniRun run = RunChangeINIFile(&options);
        EXPECT_EQ(1, run.result);
        EXPECT_EQ(c.stored, Key(ini, "Korvu", "Data")) << "given [" << c.given << "]";
        EXPECT_EQ(c.stored, Key(ini, "Korvu", "Config")) << "given [" << c.given << "]";
    }
}

TEST_F(DesktopTest, FileThatCannotBeCreatedIsReportedWithoutKeys)
{
    SetupOptions options = MakeOptions(dir + "missing\\", "C:\\D", "C:\\C");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(Boxes({Status(kBoth, ERROR_PATH_NOT_FOUND)}), run.boxes);
    EXPECT_FALSE(Exists(dir + "missing\\Korvu.ini"));
}

TEST_F(DesktopTest, ReadOnlyFileReportsEachKeyAndGoesOn)
{
    std::string before = "[Korvu]\r\nData = old\r\nConfig = old\r\n";
    ASSERT_TRUE(WriteBytes(ini, before));
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    SetupOptions options = MakeOptions(dir, "C:\\D", "C:\\C");
    IniRun run = RunChangeINIFile(&options);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ(Boxes({Status(kData, ERROR_ACCESS_DENIED), Status(kConfig, ERROR_ACCESS_DENIED)}),
              run.boxes);
    std::string after;
    ReadBytes(ini, &after);
    EXPECT_EQ(before, after);
}

TEST_F(DesktopTest, PathsThatDoNotFitAreReportedNotOverrun)
{
    // app_path + "Korvu.ini" would need 264 bytes.
    std::string longApp = "C:\\" + std::string(250, 'a') + "\\";
    SetupOptions options = MakeOptions(longApp, "C:\\D", "C:\\C");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(0, run.result);
    EXPECT_EQ(Boxes({Status(kBoth, ERROR_FILENAME_EXCED_RANGE)}), run.boxes);

    // A 259-character data path plus the leading blank: the Data write
    // fails, Config is still written.
    std::string longData = "C:\\" + std::string(256, 'd');
    options = MakeOptions(dir, longData, "C:\\C");
    run = RunChangeINIFile(&options);
    EXPECT_EQ(1, run.result);
    EXPECT_EQ(Boxes({Status(kData, ERROR_FILENAME_EXCED_RANGE)}), run.boxes);
    EXPECT_EQ("\\korvu\\data", Key(ini, "Korvu", "Data"));
    EXPECT_EQ("C:\\C", Key(ini, "Korvu", "Config"));
}

TEST_F(DesktopTest, NoOptionsRecordIsReported)
{
    CopyDialog windows = OpenCopyDialog(NULL);
    BoxLog boxes;
    StartBoxLog(&boxes);
    int result = ChangeINIFile(windows.dialog);
    std::vector<std::string> texts = StopBoxLog(&boxes);
    CloseCopyDialog(&windows);
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, texts.size()) << Joined(texts);
    EXPECT_EQ(0u, texts[0].find(kBoth)) << texts[0];
}

// ---------------------------------------------------------------- a full disk

TEST(FullDisk, TemplateThatDoesNotFitIsNotCreated)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, &free) || total.QuadPart > 4u << 20)
        GTEST_SKIP() << "drive Q: is not the small tmpfs (it could not be mounted)";
    InitInstallTests();
    std::string dir = "Q:\\ini\\";
    RemoveTree(dir);
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << GetLastError();
    // Fill the disk to the last byte.
    FILE *filler = fopen("Q:\\ini\\filler.bin", "wb");
    ASSERT_TRUE(filler != NULL);
    setvbuf(filler, NULL, _IONBF, 0);
    std::string chunk(512, 'f');
    while (fwrite(chunk.data(), 1, chunk.size(), filler) == chunk.size()) {
    }
    while (fwrite(chunk.data(), 1, 1, filler) == 1) {
    }
    fclose(filler);
    SetupOptions options = MakeOptions(dir, "Q:\\D", "Q:\\C");
    IniRun run = RunChangeINIFile(&options);
    EXPECT_EQ(0, run.result);
    ASSERT_EQ(1u, run.boxes.size()) << Joined(run.boxes);
    EXPECT_EQ(0u, run.boxes[0].find(kBoth)) << run.boxes[0];
    EXPECT_FALSE(Exists(dir + "Korvu.ini")) << "an incomplete template must not stay";
    RemoveTree(dir);
}
