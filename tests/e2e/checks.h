// What an installation leaves on disk, read back the way the system itself
// reads it: files and their times, Korvu.ini, shortcuts through IShellLinkA.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "files.h"   // ReadBytes, WriteBytes
#include "wintest.h" // RemoveTree

namespace e2e {

// The folder this driver runs in (C:\run\) and its scratch folder e2e\,
// where the host script puts the payload's original files (expected\).
std::string RunDir();
std::string ScratchDir();
std::string ExpectedDir();

std::string SpecialFolder(int csidl);
bool FileExists(const std::string &path); // a file, not a folder
bool DirExists(const std::string &path);
// Names of the entries of a folder (files and folders), sorted.
std::vector<std::string> ListDir(const std::string &dir);
bool LastWrite(const std::string &path, FILETIME *time);
std::string TimeText(const FILETIME &time);

// The entry in the list of installed programs, under HKEY_LOCAL_MACHINE.
extern const char kUninstallKey[];

// Removes what any scenario may have made or planted: the application
// directories the scenarios use, both families' shortcut folders and the
// entry in the list of installed programs.
void CleanState();

// The Windows version Wine reports to a program, by its file name.
void SetReportedVersion(const std::string &exeName, const std::string &version);

// A shortcut read back through IShellLinkA and IPersistFile.
struct Link {
    bool loaded = false;
    std::string target;
    std::string workDir;
    std::string error;
};
Link ReadLink(const std::string &path);
bool MakeLink(const std::string &path, const std::string &target, const std::string &workDir);

// The lines of a text, each without its line feed and a carriage return
// before it.
std::vector<std::string> SplitLines(const std::string &text);
// The lines of a profile file as the profile functions see them: blank
// lines dropped, each line trimmed, blanks around the first '=' removed.
// Windows keeps the other lines of a file it updates byte for byte, Wine
// rewrites the whole file; both give the same list.
std::vector<std::string> ProfileLines(const std::string &bytes);
// True when every line of the file ends with CR LF.
bool AllLinesEndCrLf(const std::string &bytes);
// The lines Korvu.ini's template gives in that form, with the two values set.
std::vector<std::string> TemplateLines(const std::string &data, const std::string &config);
std::string ProfileValue(const std::string &file, const std::string &section,
                         const std::string &key);
// Names as "[a, b, c]", for failure messages.
std::string Listing(const std::vector<std::string> &names);
std::string Join(const std::vector<std::string> &lines);
// The lines, each ended by CR LF: how Wine writes a profile file it updates.
std::string CrLfLines(const std::vector<std::string> &lines);
bool RunningOnWine();

// The payload records of a setup.exe (resource CMPFILE 121).
struct Record {
    std::string name;
    size_t streamOffset = 0; // in the resource
    size_t streamLength = 0;
};
// The container CMPFILE `id` of a setup.exe: the payload, or 131, the uninstaller.
std::string PayloadOf(const std::string &exe, std::string *error, int id = 121);
std::vector<Record> RecordsOf(const std::string &container);

} // namespace e2e
