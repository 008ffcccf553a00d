// The real Uninst72.exe on a record with every kind of line that
// setup.exe cannot have written, one run: it touches nothing outside the
// installation, names each such line in the log and ends with status 4.
#include "wintest.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

const std::string kApp = "C:\\KorvuRules\\";
const std::string kOutside = "C:\\KorvuOutside\\";
const std::string kLog = "C:\\korvu-rules.log";

std::string Beside(const char *name)
{
    char path[MAX_PATH];
    std::string self(path, GetModuleFileNameA(NULL, path, sizeof path));
    return self.substr(0, self.rfind('\\') + 1) + name;
}

std::string Folder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, TRUE);
    return path;
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Write(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
              written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

std::string Read(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD n;
    while (ReadFile(file, buffer, sizeof buffer, &n, NULL) && n > 0)
        text.append(buffer, n);
    CloseHandle(file);
    return text;
}

TEST(RecordRules, ForeignLinesAreLoggedAndTouchNothing)
{
    std::string desktop = Folder(CSIDL_COMMON_DESKTOPDIRECTORY);
    std::string programs = Folder(CSIDL_COMMON_PROGRAMS);
    ASSERT_FALSE(desktop.empty());
    ASSERT_FALSE(programs.empty());
    std::string other = programs + "\\Other Program";
    std::string empty = programs + "\\Empty Folder";
    for (const std::string &dir : {kApp, kOutside, other, empty})
        RemoveTree(dir);
    DeleteFileA(kLog.c_str());
    for (const std::string &dir : {kApp, kOutside, other, empty})
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << dir;

    // What must stay: outside the installation, and one file of the
    // application directory that only a cut line would name.
    const std::vector<std::string> kept = {kOutside + "victim.txt", desktop + "\\Other.lnk",
                                           other + "\\Other.lnk", kApp + "Keep.txt"};
    for (const std::string &path : kept)
        ASSERT_TRUE(Write(path, "not the installation's")) << path;
    ASSERT_TRUE(Write(kApp + "Korvu72.exe", "MZ"));
    ASSERT_TRUE(CopyFileA(Beside("Uninst72.exe").c_str(), (kApp + "Uninst72.exe").c_str(), FALSE));

    // One line of each kind; the record's lines start after an empty one.
    const std::vector<std::string> foreign = {
        "File=..\\KorvuOutside\\victim.txt",
        "File=" + kOutside + "victim.txt",
        "File=\\\\server\\share\\victim.txt",
        "Link=\\\\server\\share\\x.lnk",
        "Group=\\\\server\\share",
        "File=NUL",
        "File=com1.txt",
        "Link=\\\\.\\" + kOutside + "victim.txt",
        "Link=" + desktop + "\\Other.lnk",
        "Link=" + other + "\\Other.lnk",
        "Group=" + empty,
        "Group=" + other,
        "Progman=Korvu ark 7.2)][DeleteGroup(Accessories",
        "Key=Other Program",
        "File=" + std::string(300, 'a'),
        std::string("File=Keep.txt\0.exe", 18),
        "Anything=else",
        "File=" + std::string(3 * 1024 * 1024, 'b'),
        "Key=Korvu ark 7.2 ", // the last line, no line break after it
    };
    std::string record = "\r\nFile=Korvu72.exe";
    for (const std::string &line : foreign)
        record += "\r\n" + line;
    ASSERT_TRUE(Write(kApp + "Uninst72.dat", record));

    EXPECT_EQ(4, RunAndWait("\"" + kApp + "Uninst72.exe\" /S /LOG=" + kLog, kApp, 60000));

    EXPECT_FALSE(Exists(kApp + "Korvu72.exe")) << "the installation's own file stays";
    for (const std::string &path : kept)
        EXPECT_TRUE(Exists(path)) << path;
    EXPECT_TRUE(Exists(empty)) << empty;
    std::string log = Read(kLog);
    for (size_t i = 0; i < foreign.size(); i++) {
        std::string ignored = "Ignored line " + std::to_string(i + 3) + " of Uninst72.dat";
        EXPECT_NE(std::string::npos, log.find(ignored)) << ignored << " not in:\n" << log;
    }
    EXPECT_NE(std::string::npos, log.find("Exit status 4")) << log;

    for (const std::string &dir : {kApp, kOutside, other, empty})
        RemoveTree(dir);
    DeleteFileA((desktop + "\\Other.lnk").c_str());
    DeleteFileA(kLog.c_str());
}

} // namespace
