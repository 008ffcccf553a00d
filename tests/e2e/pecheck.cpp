// The setup.exe written by mcftool build, as Windows sees it: loaded by the
// system, every resource of the stub (pictures, dialogs, icon, version)
// present with the same bytes, the payload replaced, and the checksum the
// image help library computes. run-built puts both files into C:\run.
#include <windows.h>

#include <gtest/gtest.h>
#include <imagehlp.h>

#include <map>
#include <string>

namespace {

const char kStub[] = "C:\\run\\built-stub.exe";
const char kBuilt[] = "C:\\run\\built-setup.exe";

// A resource key: type and name as text ("#2" for an integer id).
std::string KeyText(LPCSTR key)
{
    if (IS_INTRESOURCE(key))
        return "#" + std::to_string((unsigned)(ULONG_PTR)key);
    return key;
}

typedef std::map<std::string, std::string> Resources; // "type/name/lang" -> bytes

struct Walk {
    HMODULE module;
    Resources *out;
    std::string type, name;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD lang, LONG_PTR param)
{
    Walk *w = (Walk *)param;
    HRSRC found = FindResourceExA(module, type, name, lang);
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    const char *data = loaded ? (const char *)LockResource(loaded) : NULL;
    DWORD size = found ? SizeofResource(module, found) : 0;
    (*w->out)[w->type + "/" + w->name + "/" + std::to_string(lang)] =
        data ? std::string(data, size) : std::string("<unreadable>");
    return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param)
{
    Walk *w = (Walk *)param;
    w->name = KeyText(name);
    EnumResourceLanguagesA(module, type, name, OnLanguage, param);
    return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPSTR type, LONG_PTR param)
{
    Walk *w = (Walk *)param;
    w->type = KeyText(type);
    EnumResourceNamesA(module, type, OnName, param);
    return TRUE;
}

Resources ResourcesOf(const char *path)
{
    Resources r;
    HMODULE module = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_TRUE(module != NULL) << path << ": error " << GetLastError();
    if (!module)
        return r;
    Walk w = {module, &r, "", ""};
    EnumResourceTypesA(module, OnType, (LONG_PTR)&w);
    FreeLibrary(module);
    return r;
}

TEST(BuiltSetup, KeepsEveryResourceOfTheStubAndCarriesItsOwnPayload)
{
    Resources stub = ResourcesOf(kStub), built = ResourcesOf(kBuilt);
    ASSERT_GT(stub.size(), 5u) << "pictures, dialogs, icon and payload";
    ASSERT_EQ(stub.size(), built.size());
    int pictures = 0, dialogs = 0;
    for (const auto &entry : stub) {
        const std::string &key = entry.first;
        ASSERT_TRUE(built.count(key)) << key << " is missing";
        if (key.rfind("CMPFILE/#121/", 0) == 0) {
            EXPECT_NE(entry.second, built[key]) << "the payload was not replaced";
            EXPECT_EQ(0u, built[key].rfind("MCFX", 0));
            continue;
        }
        // The check value: the new payload's length and CRC-32, then the
        // uninstaller's, which is the stub's own.
        if (key.rfind("CMPFILE/#122/", 0) == 0) {
            ASSERT_EQ(16u, built[key].size());
            EXPECT_NE(entry.second.substr(0, 8), built[key].substr(0, 8))
                << "the check value was not replaced";
            EXPECT_EQ(entry.second.substr(8), built[key].substr(8));
            continue;
        }
        EXPECT_TRUE(entry.second == built[key]) << key << " differs from the stub's";
        pictures += key.rfind("#2/", 0) == 0;
        dialogs += key.rfind("#5/", 0) == 0;
    }
    EXPECT_GE(pictures, 3) << "background, finish and logo pictures";
    EXPECT_GE(dialogs, 3) << "setup, copy and finish dialogs";

    // And as the loader uses them: a picture and a dialog template by id.
    HMODULE module = LoadLibraryExA(kBuilt, NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module != NULL);
    EXPECT_TRUE(FindResourceA(module, MAKEINTRESOURCEA(102), RT_DIALOG) != NULL);
    EXPECT_TRUE(FindResourceA(module, MAKEINTRESOURCEA(121), "CMPFILE") != NULL);
    FreeLibrary(module);
}

TEST(BuiltSetup, ChecksumIsTheOneWindowsComputes)
{
    DWORD header = 0, computed = 0;
    ASSERT_EQ((DWORD)CHECKSUM_SUCCESS,
              MapFileAndCheckSumA(const_cast<char *>(kBuilt), &header, &computed));
    EXPECT_EQ(computed, header);
    EXPECT_NE(0u, header);
}

} // namespace
