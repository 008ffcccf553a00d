// Planted DLLs never run: the real setup.exe installs silently from a
// download folder into an application directory an ordinary user made
// before, both holding DLLs of the names our programs could load, and
// the uninstaller removes the installation from beside them. Wine is told
// to prefer such DLLs to its own (native first) in these programs, as
// Windows does for any DLL that is not one of its KnownDLLs.
#include "wintest.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The names of the proxies built beside this program (CMakeLists.txt).
const char *const kPlanted[] = {PLANTED_NAMES};

const char kDownload[] = "C:\\Downloads\\";
const char kApp[] = "C:\\Korvu\\";

std::string Beside(const char *name)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path, n);
    return dir.substr(0, dir.rfind('\\') + 1) + name;
}

void Plant(const char *dir)
{
    for (const char *name : kPlanted)
        ASSERT_TRUE(CopyFileA(Beside(name).c_str(), (std::string(dir) + name).c_str(), FALSE))
            << name;
}

// The marks of proxies that ran, in `dir`.
std::vector<std::string> Marks(const char *dir)
{
    std::vector<std::string> marks;
    for (const char *name : kPlanted) {
        std::string mark = std::string(dir) + name + ".ran";
        if (GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES)
            marks.push_back(mark);
    }
    return marks;
}

// Native first for every planted name, in setup.exe and the uninstaller
// (its cleaning copy has the same name): Wine's overrides for one program.
void SetNativeFirst(bool on)
{
    for (const char *program : {"setup.exe", "Uninst72.exe"}) {
        std::string path = std::string("Software\\Wine\\AppDefaults\\") + program;
        HKEY key;
        if (!on) {
            if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) == 0) {
                RegDeleteKeyA(key, "DllOverrides");
                RegCloseKey(key);
            }
            continue;
        }
        path += "\\DllOverrides";
        ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE,
                                     NULL, &key, NULL));
        for (const char *name : kPlanted)
            RegSetValueExA(key, std::string(name, strlen(name) - 4).c_str(), 0, REG_SZ,
                           (const BYTE *)"native,builtin", 15);
        RegCloseKey(key);
    }
}

TEST(Planted, NoPlantedDllRunsInSetupOrTheUninstaller)
{
    RemoveTree(kDownload);
    RemoveTree(kApp);
    ASSERT_TRUE(CreateDirectoryA(kDownload, NULL));
    ASSERT_TRUE(CreateDirectoryA(kApp, NULL));
    Plant(kDownload);
    Plant(kApp);
    std::string setup = std::string(kDownload) + "setup.exe";
    ASSERT_TRUE(CopyFileA(Beside("setup.exe").c_str(), setup.c_str(), FALSE));
    SetNativeFirst(true);
    EXPECT_EQ(0, RunAndWait("\"" + setup + "\" /S /D=C:\\Korvu", kDownload, 120000));
    std::string uninstaller = std::string(kApp) + "Uninst72.exe";
    if (GetFileAttributesA(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES)
        EXPECT_EQ(0, RunAndWait("\"" + uninstaller + "\" /S", kApp, 120000));
    else
        ADD_FAILURE() << "nothing was installed";
    SetNativeFirst(false);

    for (const char *dir : {kDownload, kApp})
        for (const std::string &mark : Marks(dir))
            ADD_FAILURE() << "a planted DLL ran: " << mark;
    RemoveTree(kDownload);
    RemoveTree(kApp);
}

} // namespace
