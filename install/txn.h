// The installation of the payload as one step: every file is expanded
// beside its place under a staged name, and only when all are there and
// checked are they put in place, each existing file first renamed aside to
// a backup name. A failure undoes it, and a run that was killed is
// completed or undone by the next one.
#pragma once
#include <windows.h>

#include "container.h"
#include <stdint.h>

// Names no payload file can have (McfIsPlainFileName refuses the
// MCF_RESERVED_PREFIX they start with): the new file before it is put in
// place, the old one while the new one takes its place, and the mark that
// exists while files are being put in place.
#define STAGED_PREFIX MCF_RESERVED_PREFIX "+"
#define BACKUP_PREFIX MCF_RESERVED_PREFIX "-"
#define PLACING_MARK MCF_RESERVED_PREFIX "!"
#define PREFIX_LENGTH MCF_TEMP_NAME_EXTRA

// The containers one run installs (the payload, the uninstaller).
#define MAX_CONTAINERS 2
struct PayloadSet {
    const void *data[MAX_CONTAINERS];
    uint32_t size[MAX_CONTAINERS];
    int count;
};

// The records of a set, container after container.
struct RecordWalk {
    const PayloadSet *set;
    int at;
    McfReader reader;
};
// MCF_RECORD, or MCF_BAD_MAGIC for a first container without its magic.
int StartRecords(RecordWalk *walk, const PayloadSet *set);
// As McfNext over the whole set: MCF_END after the last container's end;
// MCF_BAD_MAGIC for a later container without its magic.
int NextRecord(RecordWalk *walk, McfRecord *record, const unsigned char **stream);

// out (MAX_PATH bytes) = app + prefix + name; 0 when it does not fit.
int TxnPath(char *out, const char *app, const char *prefix, const char *name);

// Completes a run that was killed while it put its files in place (the
// mark is there), else removes what it had expanded and puts back what it
// had stepped aside. Also ends every run, failed or not.
void FinishInterruptedRun(const char *app);

// Puts every staged file of the set in place, asking about (or, silent,
// waiting for) a file in use. 0 when a file could not be put in place:
// FinishInterruptedRun then puts every file back as it was (or, where
// that failed, completes the run) and removes the staged files.
int PlaceStagedFiles(HWND dialog, const char *app, const PayloadSet *set);

// Enters every file of the set in the uninstaller's record.
void NoteSetFiles(const PayloadSet *set);

// Removes the directories this run created, innermost first, where empty.
void RemoveMadeDirs(void);
