// The record setup.exe wrote: "Kind=value" lines in the order things were
// made (see uninstinfo.h); and the directories the application uses, as
// its Korvu.ini names them.
#include "setup.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Far more than any payload's list of names; a larger file is not ours.
static const long kMaxRecord = 4L * 1024 * 1024;

static char *ReadWholeFile(const char *path)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return NULL;
    char *text = NULL;
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    if (size >= 0 && size <= kMaxRecord && fseek(file, 0, SEEK_SET) == 0)
        text = (char *)malloc((size_t)size + 1);
    if (text && fread(text, 1, (size_t)size, file) != (size_t)size) {
        free(text);
        text = NULL;
    }
    if (text)
        text[size] = '\0';
    fclose(file);
    return text;
}

int LoadRecord(const char *app, Record *record)
{
    char path[MAX_PATH];
    record->text = NULL;
    record->data[0] = '\0';
    record->config[0] = '\0';
    if (!CopyText(record->app, sizeof record->app, app) ||
        !JoinText(path, sizeof path, app, UNINSTALL_RECORD))
        return 0;
    record->text = ReadWholeFile(path);
    if (!record->text)
        return 0;
    // Where the application keeps the books now, which may not be where
    // setup.exe put them.
    if (JoinText(path, sizeof path, app, "Korvu.ini")) {
        GetPrivateProfileStringA(KORVU_SECTION, "Data", "", record->data, sizeof record->data,
                                 path);
        GetPrivateProfileStringA(KORVU_SECTION, "Config", "", record->config, sizeof record->config,
                                 path);
    }
    return 1;
}

void FreeRecord(Record *record)
{
    free(record->text);
    record->text = NULL;
}

int NextRecordValue(const Record *record, const char **cursor, const char *kind, char *value)
{
    // The kinds bring their line break with them (uninstinfo.h).
    if (*kind == '\n')
        kind++;
    size_t kindLength = strlen(kind);
    const char *line = *cursor ? *cursor : record->text;
    while (line && *line) {
        const char *end = strchr(line, '\n');
        const char *next = end ? end + 1 : line + strlen(line);
        if (!end)
            end = next;
        if (end > line && end[-1] == '\r')
            end--;
        *cursor = next;
        size_t length = (size_t)(end - line);
        if (length > kindLength && strncmp(line, kind, kindLength) == 0) {
            size_t valueLength = length - kindLength;
            // A cut path could name something else: never act on one.
            if (valueLength < MAX_PATH) {
                memcpy(value, line + kindLength, valueLength);
                value[valueLength] = '\0';
                return 1;
            }
        }
        line = next;
    }
    return 0;
}

int SameDirectory(const char *a, const char *b)
{
    char left[MAX_PATH];
    char right[MAX_PATH];
    if (!CopyText(left, sizeof left, a) || !CopyText(right, sizeof right, b))
        return 0;
    DropBackslash(left);
    DropBackslash(right);
    return left[0] != '\0' && lstrcmpiA(left, right) == 0;
}
