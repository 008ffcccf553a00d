// What the uninstall scenarios check with: Wine's list of installed
// programs, the registry, the uninstaller's cleaning copies, the user's files.
#include "uninstall.h"

#include <tlhelp32.h>

#include <algorithm>

using namespace e2e;

void SetDefaultVersion(const char *version)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL))
        return;
    if (version)
        RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, strlen(version) + 1);
    else
        RegDeleteValueA(key, "Version");
    RegCloseKey(key);
}

std::string Output(const std::string &commandLine, DWORD *code)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE read = NULL, write = NULL;
    if (!CreatePipe(&read, &write, &inherit, 0))
        return "<no pipe>";
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL started =
        CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    CloseHandle(write);
    std::string text;
    if (started) {
        char buffer[4096];
        DWORD n;
        while (ReadFile(read, buffer, sizeof buffer, &n, NULL) && n > 0)
            text.append(buffer, n);
        WaitForSingleObject(process.hProcess, kWait);
        GetExitCodeProcess(process.hProcess, code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        text = "<could not start " + commandLine + ">";
    }
    CloseHandle(read);
    return text;
}

std::vector<std::string> WineListEntries()
{
    DWORD code = 0;
    std::string text = Output("uninstaller.exe --list", &code);
    std::vector<std::string> entries;
    for (std::string line : SplitLines(text)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.find("Korvu") != std::string::npos)
            entries.push_back(line);
    }
    return entries;
}

std::string RegText(HKEY root, const char *path, const char *name, DWORD *type)
{
    char value[1024] = "";
    DWORD size = sizeof value - 1;
    DWORD kind = 0;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "<no key>";
    LONG status = RegQueryValueExA(key, name, NULL, &kind, (BYTE *)value, &size);
    RegCloseKey(key);
    if (type)
        *type = kind;
    if (status != ERROR_SUCCESS)
        return "<no value>";
    if (kind == REG_DWORD)
        return std::to_string(*(DWORD *)value);
    return std::string(value, strnlen(value, size));
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16];
    snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

DWORD KilobytesWritten(const std::string &dir)
{
    DWORD kilobytes = 0;
    for (const std::string &name : ListDir(dir)) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "\\" + name).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "Uninst72.dat" &&
            name != "Korvu.ini")
            kilobytes += (found.nFileSizeLow + 1023) / 1024;
    }
    return kilobytes;
}

bool KeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string TempDir()
{
    char path[MAX_PATH];
    DWORD n = GetTempPathA(sizeof path, path);
    return std::string(path, n);
}

std::vector<std::string> CleaningCopies()
{
    std::vector<std::string> copies;
    for (const std::string &name : ListDir(TempDir()))
        if (name.compare(0, 3, "Kvu") == 0 && FileExists(TempDir() + name + "\\Uninst72.exe"))
            copies.push_back(TempDir() + name + "\\Uninst72.exe");
    return copies;
}

std::string CopyName(const std::string &copy)
{
    return copy.substr(TempDir().size());
}

std::string PendingDeletions()
{
    char value[8192];
    DWORD size = sizeof value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return "";
    LONG status =
        RegQueryValueExA(key, "PendingFileRenameOperations", NULL, NULL, (BYTE *)value, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "";
    std::string text(value, size);
    std::replace(text.begin(), text.end(), '\0', '|');
    return text;
}

std::string WindowsDir()
{
    char path[MAX_PATH];
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    return std::string(path, n);
}

void AddUsersFiles()
{
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Data\\Ledger 2024.kdb", "the books of 2024"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\KORVU.SAV", "saved configuration"));
    ASSERT_TRUE(WriteBytes("C:\\Korvu\\Notes.txt", "the user's own notes"));
}

void ExpectOnlyUsersFilesLeft()
{
    EXPECT_EQ("[Data, KORVU.SAV, Notes.txt]", Listing(ListDir(kApp)));
    EXPECT_EQ("[Ledger 2024.kdb]", Listing(ListDir("C:\\Korvu\\Data")));
    EXPECT_EQ("the books of 2024", ReadBytes("C:\\Korvu\\Data\\Ledger 2024.kdb"));
    EXPECT_EQ("saved configuration", ReadBytes("C:\\Korvu\\KORVU.SAV"));
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        EXPECT_FALSE(DirExists(SpecialFolder(csidl) + "\\Korvu ark 7.2")) << SpecialFolder(csidl);
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_FALSE(FileExists(SpecialFolder(csidl) + "\\Korvu 7.2.lnk")) << SpecialFolder(csidl);
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

bool WaitUninstallerGone()
{
    for (int i = 0; i < 150 && FileExists(kUninstaller); i++)
        Sleep(100);
    return !FileExists(kUninstaller);
}
