// Trimming, blank test, completion of typed paths, and the walk over a
// path's directory levels.
#include "pathrules.h"
#include "container.h"
#include "textbuf.h"
#include "uninstinfo.h"
#include <string.h>

enum { kPathSize = 260, kPathNotFound = 3, kAccessDenied = 5, kAlreadyExists = 183 };

// Only the space character counts: a tab is part of the name.
char *TrimSpaces(char *text)
{
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == ' ')
        n--;
    text[n] = '\0';
    size_t start = 0;
    while (text[start] == ' ')
        start++;
    if (start > 0)
        memmove(text, text + start, n - start + 1);
    return text;
}

int IsBlank(const char *text)
{
    for (; *text; text++) {
        if (*text != ' ')
            return 0;
    }
    return 1;
}

static int IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int IsRootedPath(const char *text)
{
    return (IsAsciiLetter(text[0]) && text[1] == ':') || text[0] == '\\';
}

// A colon may only follow a drive letter: "C:\x" and "C:x", never "x:y".
static int ColonsValid(const char *path)
{
    const char *last = strrchr(path, ':');
    return !last || (last == path + 1 && IsAsciiLetter(path[0]));
}

int ValidateAndCompletePath(char *path, const char *base, int addBackslash)
{
    char work[kPathSize];
    if (path[0] == '\0' || !ColonsValid(path))
        return 0;
    int ok;
    if (strchr(path, ':') || path[0] == '\\')
        ok = CopyText(work, sizeof work, path);
    else
        ok = JoinText(work, sizeof work, base, path); // relative: under base
    if (ok && addBackslash)
        ok = EnsureBackslash(work, sizeof work);
    // A completed path that would not fit its 260 bytes is refused whole.
    if (!ok)
        return 0;
    memcpy(path, work, strlen(work) + 1);
    return 1;
}

int DeriveDataPath(char *out, size_t size, const char *directory)
{
    return JoinText(out, size, directory, EndsWithBackslash(directory) ? "Data" : "\\Data");
}

// Where the levels start: the first character, or for \\server\share the
// backslash that ends the share name (server and share are never created).
// -1 when a network path lacks its server or share.
static int LevelStart(const char *path)
{
    if (path[0] != '\\' || path[1] != '\\')
        return 0;
    const char *server = strchr(path + 2, '\\');
    if (!server)
        return -1;
    const char *share = strchr(server + 1, '\\');
    if (!share)
        return -1;
    return (int)(share - path);
}

int WalkDirLevels(char *path, CreateLevelFn create, void *context)
{
    if (path[0] == '\0')
        return kPathNotFound;
    int start = LevelStart(path);
    if (start < 0)
        return kPathNotFound;
    int result = 0;
    for (int i = start + 1;; i++) {
        char c = path[i];
        // A root (C:\ or \) and a doubled or trailing backslash add no level.
        if ((c == '\\' || c == '\0') && path[i - 1] != ':' && path[i - 1] != '\\') {
            path[i] = '\0';
            result = create(path, context);
            path[i] = c;
            if (result != 0 && result != kAccessDenied && result != kAlreadyExists)
                return result;
        }
        if (c == '\0')
            return result;
    }
}

size_t AppPathLimit(size_t longestName)
{
    const size_t kLongestPath = 259; // MAX_PATH less the terminating zero
    const size_t kIniName = sizeof KORVU_INI - 1;
    // A payload file is first written under a longer temporary name.
    size_t staged = longestName + MCF_TEMP_NAME_EXTRA;
    size_t name = staged > kIniName ? staged : kIniName;
    if (name + 1 >= kLongestPath)
        return 0;
    size_t limit = kLongestPath - 1 - name;
    return limit < MAX_APP_PATH_CHARS ? limit : MAX_APP_PATH_CHARS;
}
