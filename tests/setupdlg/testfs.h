// Real files and directories for the tests, on Wine's file system.
#pragma once
#include <windows.h>

#include "wintest.h"
#include <string>

// An empty directory at path (its parents created), removing what was there.
void FreshDir(const std::string &path);
// A file with the given content; true when written whole.
bool WriteTextFile(const std::string &path, const std::string &content);
bool DirExists(const std::string &path);
// Entries of a directory other than . and ..; -1 when it cannot be listed.
int EntriesIn(const std::string &directory);
bool PathExists(const std::string &path);
// A drive letter with no drive behind it, as "Q:".
std::string MissingDrive();
// True under Wine, where a few system error codes differ from Windows.
bool RunningOnWine();
// The code CreateDirectoryA gives for a path on a drive that does not exist:
// 3 (ERROR_PATH_NOT_FOUND) on Windows, 2 (ERROR_FILE_NOT_FOUND) on Wine 8.
int MissingDriveError();
// The program's globals as WinMain fills them.
void InitSetupGlobals();
