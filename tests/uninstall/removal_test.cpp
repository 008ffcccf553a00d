// RemoveInstallation on real files: only what the record names goes, a
// cut or foreign line touches nothing, and what cannot go is named.
#include "log.h"
#include "uninstall.h"
#include "wintest.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <stdio.h>
#include <string>

namespace {

std::string Scratch()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "korvu-removal\\";
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Write(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

class Removal : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = Scratch();
        RemoveTree(app);
        ASSERT_TRUE(CreateDirectoryA(app.c_str(), NULL)) << app;
        CreateDirectoryA((app + "Data").c_str(), NULL);
        ZeroMemory(&removal, sizeof removal);
    }
    void TearDown() override { RemoveTree(app); }

    // Writes the record and reads it back as the uninstaller does.
    void Load(const std::string &lines)
    {
        Write(app + "Uninst72.dat", lines);
        ASSERT_TRUE(LoadRecord(app.c_str(), &record));
    }

    std::string app;
    Record record;
    ::Removal removal;
};

TEST_F(Removal, OnlyWhatTheRecordNamesGoesAndTheDataStays)
{
    Write(app + "Korvu72.exe", "MZ");
    Write(app + "Readme.txt", "read me");
    Write(app + "Notes.txt", "the user's");
    Write(app + "Data\\Ledger.kdb", "books");
    Write(app + "Korvu.ini", "[Korvu]\r\nData=" + app + "Data\r\nConfig=" + app + "\r\n");
    // A read-only installed file goes too.
    SetFileAttributesA((app + "Readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // The program group where setup.exe makes it: the uninstaller acts on
    // no other.
    char programs[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(NULL, programs, CSIDL_COMMON_PROGRAMS, TRUE));
    std::string group = std::string(programs) + "\\Korvu ark 7.2";
    RemoveTree(group);
    CreateDirectoryA(group.c_str(), NULL);
    Write(group + "\\Korvu 7.2.lnk", "link");
    Write(group + "\\Mine.lnk", "the user's shortcut");
    // CR LF and LF lines; a file already gone is no failure.
    Load("\r\nFile=Korvu72.exe\r\nFile=Readme.txt\nFile=Gone.txt\r\nFile=Uninst72.exe\r\nGroup=" +
         group + "\r\nLink=" + group + "\\Korvu 7.2.lnk");
    EXPECT_EQ(app + "Data", std::string(record.data));
    EXPECT_EQ(app, std::string(record.config));
    RemoveInstallation(&record, &removal);
    FreeRecord(&record);

    EXPECT_EQ(0, removal.failures) << removal.failed[0];
    EXPECT_EQ(4, removal.files); // Korvu72.exe, Readme.txt, Korvu.ini, the record
    EXPECT_EQ(1, removal.links);
    EXPECT_EQ(0, removal.groups); // it holds the user's shortcut
    for (const char *gone : {"Korvu72.exe", "Readme.txt", "Korvu.ini", "Uninst72.dat"})
        EXPECT_FALSE(Exists(app + gone)) << gone;
    EXPECT_TRUE(Exists(app + "Notes.txt"));
    EXPECT_TRUE(Exists(app + "Data\\Ledger.kdb"));
    EXPECT_TRUE(Exists(group + "\\Mine.lnk"));
    EXPECT_FALSE(Exists(group + "\\Korvu 7.2.lnk"));
    RemoveTree(group);
}

TEST_F(Removal, ACutOrForeignLineTouchesNothing)
{
    // A name longer than the path buffer: its first 259 characters name a
    // real file, which must not be taken for it.
    std::string shortName(259 - app.size(), 'a');
    Write(app + shortName, "not ours");
    Write(app + "Keep.txt", "not ours either");
    Load("\nFile=" + shortName +
         "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb" +
         "\nfile=Keep.txt\nFiles=Keep.txt\n File=Keep.txt\nFile=");
    RemoveInstallation(&record, &removal);
    FreeRecord(&record);
    EXPECT_TRUE(Exists(app + shortName));
    EXPECT_TRUE(Exists(app + "Keep.txt"));
    EXPECT_EQ(0, removal.failures);
    EXPECT_EQ(1, removal.files); // the record itself
}

TEST_F(Removal, AFileInUseIsNamedAndTheRestGoes)
{
    Write(app + "Ledger.kdb", "sample");
    Write(app + "Korvu72.exe", "MZ");
    HANDLE held =
        CreateFileA((app + "Ledger.kdb").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Load("\nFile=Ledger.kdb\nFile=Korvu72.exe");
    RemoveInstallation(&record, &removal);
    FreeRecord(&record);
    CloseHandle(held);
    EXPECT_EQ(1, removal.failures);
    EXPECT_EQ(app + "Ledger.kdb (in use)", std::string(removal.failed[0]));
    EXPECT_FALSE(Exists(app + "Korvu72.exe"));
    char text[4096];
    ComposeResult(&record, &removal, text, sizeof text);
    EXPECT_NE(std::string::npos,
              std::string(text).find("Could not be removed:\n" + app + "Ledger.kdb (in use)"))
        << text;
}

TEST_F(Removal, ManyFailuresAreCountedBeyondThoseNamed)
{
    for (int i = 0; i < NAMED_FAILURES + 3; i++)
        NoteFailure(&removal, ("C:\\x" + std::to_string(i)).c_str(), ERROR_ACCESS_DENIED);
    Write(app + "Korvu.ini", "[Korvu]\r\nData=D:\\Books\r\nConfig=D:\\Cfg\r\n");
    Load("");
    char text[4096];
    ComposeResult(&record, &removal, text, sizeof text);
    FreeRecord(&record);
    std::string shown = text;
    EXPECT_NE(std::string::npos, shown.find("C:\\x0 (access denied)")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("C:\\x6")) << shown;
    EXPECT_NE(std::string::npos, shown.find("\nand 3 more.")) << shown;
    EXPECT_NE(std::string::npos,
              shown.find("Your data in D:\\Books and the configuration in D:\\Cfg are kept."))
        << shown;
}

TEST_F(Removal, NoRecordIsNothingToGoBy)
{
    EXPECT_FALSE(LoadRecord(app.c_str(), &record));
    EXPECT_TRUE(record.text == NULL);
    EXPECT_TRUE(SameDirectory("C:\\Korvu\\", "c:\\korvu"));
    EXPECT_FALSE(SameDirectory("C:\\Korvu", "C:\\Korvu\\Data"));
    EXPECT_FALSE(SameDirectory("", ""));
}

} // namespace
