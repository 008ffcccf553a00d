// Reading back what setup.exe wrote.
#include "checks.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

namespace e2e {

namespace {

const char *const kAppDirs[] = {"C:\\Korvu", "C:\\Korvux", "C:\\Korvu6", "C:\\Acct Seven",
                                "C:\\Acct7"};
const char *const kGroups[] = {"Korvu ark 7.2", "Korvu orb 6.3", "Ledger Tools"};
const char *const kDesktopLinks[] = {"Korvu 7.2.lnk", "Korvu 6.3.lnk"};

} // namespace

const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvu ark 7.2";

namespace {

std::string Trim(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

uint32_t Le32(const std::string &bytes, size_t at)
{
    return (uint32_t)(unsigned char)bytes[at] | (uint32_t)(unsigned char)bytes[at + 1] << 8 |
           (uint32_t)(unsigned char)bytes[at + 2] << 16 |
           (uint32_t)(unsigned char)bytes[at + 3] << 24;
}

} // namespace

std::string RunDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string ScratchDir()
{
    return RunDir() + "e2e\\";
}

std::string ExpectedDir()
{
    return ScratchDir() + "expected\\";
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(NULL, path, csidl, TRUE))
        return "<no folder " + std::to_string(csidl) + ">";
    return path;
}

bool FileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListDir(const std::string &dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool LastWrite(const std::string &path, FILETIME *time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *time = data.ftLastWriteTime;
    return true;
}

std::string TimeText(const FILETIME &time)
{
    SYSTEMTIME t;
    FileTimeToSystemTime(&time, &t);
    char text[64];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u (%08lx%08lx)", t.wYear,
             t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, time.dwHighDateTime,
             time.dwLowDateTime);
    return text;
}

void CleanState()
{
    for (const char *dir : kAppDirs)
        RemoveTree(dir);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        for (const char *group : kGroups)
            RemoveTree(SpecialFolder(csidl) + "\\" + group);
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        for (const char *link : kDesktopLinks)
            RemoveTree(SpecialFolder(csidl) + "\\" + link);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

void SetReportedVersion(const std::string &exeName, const std::string &version)
{
    HKEY key;
    std::string path = "Software\\Wine\\AppDefaults\\" + exeName;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL))
        return;
    RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version.c_str(), version.size() + 1);
    RegCloseKey(key);
}

Link ReadLink(const std::string &path)
{
    Link link;
    IShellLinkA *shellLink = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void **)&shellLink))) {
        link.error = "no shell link object";
        return link;
    }
    IPersistFile *file = NULL;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, (void **)&file))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        HRESULT hr = file->Load(wide, STGM_READ);
        if (SUCCEEDED(hr)) {
            char text[MAX_PATH] = "";
            shellLink->GetPath(text, MAX_PATH, NULL, SLGP_RAWPATH);
            link.target = text;
            text[0] = '\0';
            shellLink->GetWorkingDirectory(text, MAX_PATH);
            link.workDir = text;
            link.loaded = true;
        } else {
            char text[32];
            snprintf(text, sizeof text, "Load failed 0x%08lx", (unsigned long)hr);
            link.error = text;
        }
        file->Release();
    }
    shellLink->Release();
    return link;
}

bool MakeLink(const std::string &path, const std::string &target, const std::string &workDir)
{
    IShellLinkA *shellLink = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void **)&shellLink)))
        return false;
    bool ok = false;
    IPersistFile *file = NULL;
    if (SUCCEEDED(shellLink->SetPath(target.c_str())) &&
        SUCCEEDED(shellLink->SetWorkingDirectory(workDir.c_str())) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, (void **)&file))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        ok = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    shellLink->Release();
    return ok;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ProfileLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    for (std::string line : SplitLines(bytes)) {
        line = Trim(line);
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            line = Trim(line.substr(0, equals)) + "=" + Trim(line.substr(equals + 1));
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

bool AllLinesEndCrLf(const std::string &bytes)
{
    if (bytes.empty() || bytes.back() != '\n')
        return false;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
    return true;
}

std::vector<std::string> TemplateLines(const std::string &data, const std::string &config)
{
    return {
        ";; Korvu ark 7.2 workstation specific parameters file",
        "[Korvu]",
        ";; Specify location of Data files",
        "Data=" + data,
        ";; Specify list of companies to preload",
        ";; ** TO STOP DEFAULT LOADING set the following line to NO",
        "Default Companies=Yes",
        "Load=0001",
        ";; Specify list of KDL files for user defined reports and changes",
        ";; ** TO STOP LOADING KDL FILES, set the following line to NO",
        "User KDL=Yes",
        ";;kdl=<kdlfile.1>",
        ";;kdl=<kdlfile.2>",
        ";; Specify location of KORVU.SAV (saved configuration of Korvu)",
        "Config=" + config,
        ";; Specify Color details of local monitor",
        "Color=Yes",
        ";; end-of-file",
    };
}

std::string ProfileValue(const std::string &file, const std::string &section,
                         const std::string &key)
{
    char value[MAX_PATH];
    strcpy(value, "<untouched>");
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", value, sizeof value,
                             file.c_str());
    return value;
}

std::string Listing(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return "[" + text + "]";
}

std::string Join(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += "  | " + line + "\n";
    return text;
}

std::string CrLfLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string PayloadOf(const std::string &exe, std::string *error, int id)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        *error = "cannot load " + exe + " as data: " + std::to_string(GetLastError());
        return "";
    }
    std::string bytes;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "CMPFILE");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    const char *data = loaded ? (const char *)LockResource(loaded) : NULL;
    if (data)
        bytes.assign(data, SizeofResource(module, resource));
    else
        *error = "no CMPFILE " + std::to_string(id) + " in " + exe;
    FreeLibrary(module);
    return bytes;
}

std::vector<Record> RecordsOf(const std::string &container)
{
    // Magic "MCFX", then per file: stream length, CRC-32, 260-byte name, stream.
    std::vector<Record> records;
    if (container.size() < 4 || container.compare(0, 4, "MCFX") != 0)
        return records;
    size_t at = 4;
    while (at + 268 <= container.size()) {
        Record record;
        record.streamLength = Le32(container, at);
        record.name =
            std::string(container.c_str() + at + 8, strnlen(container.c_str() + at + 8, 260));
        if (record.name.empty())
            break;
        record.streamOffset = at + 268;
        if (record.streamOffset + record.streamLength > container.size())
            break;
        records.push_back(record);
        at = record.streamOffset + record.streamLength;
    }
    return records;
}

} // namespace e2e
