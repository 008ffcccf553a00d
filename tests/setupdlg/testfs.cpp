#include "testfs.h"
#include "setup.h"
#include <string.h>

static void MakeAllLevels(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); i++) {
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    }
}

void FreshDir(const std::string &path)
{
    RemoveTree(path);
    MakeAllLevels(path);
}

bool WriteTextFile(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == content.size();
}

bool DirExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A letter neither listed nor reachable: Wine may list drives as they were
// when its server started, while another test maps one (the full-disk Q:)
// later, so the root itself is tried as well.
std::string MissingDrive()
{
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter > 'D'; letter--) {
        std::string root = std::string(1, letter) + ":\\";
        if (!(drives & (1u << (letter - 'A'))) &&
            GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR)
            return std::string(1, letter) + ":";
    }
    return "";
}

bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

int MissingDriveError()
{
    return RunningOnWine() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

void InitSetupGlobals()
{
    g_hInstance = GetModuleHandleA(NULL);
    ZeroMemory(&g_osvi, sizeof g_osvi);
    g_osvi.dwOSVersionInfoSize = sizeof g_osvi;
    GetVersionExA(&g_osvi);
    lstrcpyA(g_szIniFile, "Korvu.ini");
}

int EntriesIn(const std::string &directory)
{
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}
