// setup.exe waits for the real "Uninst72.exe /REGISTER" and reports its
// failure as one of its own steps: counted, in the log, with the status.
#include "desktop.h"
#include "log.h"
#include "setup.h"
#include "uninstinfo.h"
#include "wintest.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string kApp = "C:\\KorvuRegister\\";
const std::string kLog = "C:\\korvu-register.log";

std::string Read(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    char buffer[4096];
    DWORD n;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &n, NULL) && n)
        text.append(buffer, n);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return text;
}

std::string Beside(const char *name)
{
    char path[MAX_PATH];
    std::string self(path, GetModuleFileNameA(NULL, path, sizeof path));
    return self.substr(0, self.rfind('\\') + 1) + name;
}

struct Case {
    const char *what;
    bool uninstaller;   // Uninst72.exe is in the application directory
    bool recordLocked;  // its record cannot be written (read-only)
    const char *logged; // the failure's status in the log, or NULL for none
};

TEST(RegisterUninstall, FailuresAreTheRunsOwn)
{
    const Case cases[] = {
        {"registered", true, false, NULL},
        {"no uninstaller", false, false, "(Status:2)"},
        {"record read-only", true, true, "(Status:2)"},
    };
    SetupOptions options = {};
    lstrcpyA(options.app_path, kApp.c_str());
    g_silent = 1;
    for (const Case &c : cases) {
        RemoveTree(kApp);
        DeleteFileA(kLog.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH);
        ASSERT_TRUE(CreateDirectoryA(kApp.c_str(), NULL));
        std::string record = kApp + UNINSTALL_RECORD;
        HANDLE file = OpenOutput(record.c_str(), 0);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
        if (c.recordLocked)
            SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.uninstaller) {
            ASSERT_TRUE(
                CopyFileA(Beside(UNINSTALL_EXE).c_str(), (kApp + UNINSTALL_EXE).c_str(), FALSE));
        }
        ASSERT_EQ(1, LogOpen(kLog.c_str()));
        int boxes = g_boxes;
        RegisterUninstall(NULL, &options);
        LogClose();
        std::string log = Read(kLog);
        HKEY key;
        bool registered = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH, 0, KEY_READ,
                                        &key) == ERROR_SUCCESS;
        if (registered)
            RegCloseKey(key);
        if (!c.logged) {
            EXPECT_EQ(boxes, g_boxes) << c.what << ": " << log;
            EXPECT_TRUE(registered) << c.what;
            EXPECT_NE(std::string::npos, Read(record).find("Key=" UNINSTALL_KEY)) << c.what;
        } else {
            EXPECT_EQ(boxes + 1, g_boxes) << c.what;
            EXPECT_NE(std::string::npos, log.find(UNINSTALL_REGISTER_MESSAGE)) << c.what << log;
            EXPECT_NE(std::string::npos, log.find(c.logged)) << c.what << ": " << log;
        }
        SetFileAttributesA(record.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY_PATH);
    RemoveTree(kApp);
    DeleteFileA(kLog.c_str());
}

} // namespace
