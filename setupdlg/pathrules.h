// Text rules for the directories the user types. Portable: no <windows.h>.
#pragma once
#include <stddef.h>

// Longest application directory we accept: leaves room for the trailing
// backslash, "Data", the configuration file (KORVU_INI) and the payload's
// file names in 260 bytes.
#define MAX_APP_PATH_CHARS 240

// The longest application directory (without its trailing backslash) for a
// payload whose longest file name has `longestName` characters: directory,
// backslash and name, with the temporary name's MCF_TEMP_NAME_EXTRA
// characters, within 259 characters, for Korvu.ini (9) too, and never more
// than MAX_APP_PATH_CHARS.
size_t AppPathLimit(size_t longestName);

char *TrimSpaces(char *text);
int IsBlank(const char *text);
// path: 260-byte buffer, changed in place only on success (1).
int ValidateAndCompletePath(char *path, const char *base, int addBackslash);

// 1 when the text names its drive ("C:...") or starts at a root ("\...").
int IsRootedPath(const char *text);

// out (size bytes) = directory followed by "Data", with a backslash between
// unless the directory already ends with one. 0 (out untouched) if too long.
int DeriveDataPath(char *out, size_t size, const char *directory);

// The levels of a directory path, outermost first, as DoMakeDir creates
// them. For each level the path is cut there for the duration of the call
// to `create`, which returns 0 or a system error code. Returns the first
// code other than 0, 5 (access denied) and 183 (already exists), else the
// last level's code, 0 when there was no level, 3 for an empty path or an
// incomplete network path.
typedef int (*CreateLevelFn)(const char *level, void *context);
int WalkDirLevels(char *path, CreateLevelFn create, void *context);
