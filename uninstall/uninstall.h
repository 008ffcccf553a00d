// Uninst72.exe: removes what one installation of Korvu ark 7.2 made, as
// its record (Uninst72.dat) lists it, and never the user's data or
// configuration.
#pragma once
#include <windows.h>

#include <stddef.h>

// The record, read whole, and the directories it names.
struct Record {
    char *text;          // the file's bytes, zero-terminated; NULL when missing
    DWORD size;          // the bytes' count, without the terminator
    char app[MAX_PATH];  // the application directory, with a trailing backslash
    char data[MAX_PATH]; // Korvu.ini's Data and Config: kept whatever happens
    char config[MAX_PATH];
    char programs[2][MAX_PATH]; // the Start menu's Programs folders: all users, the user
    char desktops[2][MAX_PATH]; // the desktop folders: all users, the user ("" if none)
};

// What one run removed and what it could not; the first few failures are
// named in the final message, every one in the log.
#define NAMED_FAILURES 6
#define FAILURE_TEXT (MAX_PATH + 48)
struct Removal {
    int files;      // files removed (Korvu.ini and the record included)
    int links;      // shortcuts removed
    int groups;     // program groups removed
    int registered; // 1 when the entry in the list of installed programs went
    int ignored;    // lines of the record that setup.exe cannot have written
    int failures;   // things that could not be removed
    char failed[NAMED_FAILURES][FAILURE_TEXT];
};

// record.cpp
// Reads UNINSTALL_RECORD, and Data and Config of Korvu.ini, from `app`
// (which ends with a backslash); 0 when there is no record or it cannot be
// read.
int LoadRecord(const char *app, Record *record);
void FreeRecord(Record *record);
// Walks the lines of one kind (RECORD_*): *cursor starts at NULL; each call puts the
// next value of `kind` into value (MAX_PATH bytes) and returns 1, or
// returns 0 at the end. Only what setup.exe can have written is taken: a
// file name in the application directory, the program group in a Programs
// folder, one of its shortcuts there or on a desktop, the fixed names of
// the Program Manager group and the registry key. Any other line, also
// one too long for the buffer, is passed over.
int NextRecordValue(const Record *record, const char **cursor, const char *kind, char *value);
// Logs each line NextRecordValue passes over (empty lines aside) as
// ignored; their count.
int CheckRecord(const Record *record);
// 1 when two directory paths name the same directory (case and one
// trailing backslash aside).
int SameDirectory(const char *a, const char *b);

// remove.cpp: the steps, in the order RemoveInstallation runs them.
void RemoveInstallation(const Record *record, Removal *removal);

// register.cpp: the entry in the list of installed programs.
// Makes the entry for the uninstaller `self` in `app`; the registry's
// status (ERROR_NOT_SUPPORTED on NT before 4.0, which has no such list).
LONG RegisterSelf(const char *self, const char *app);
// Takes it out, when the record says this installation made it and it
// still names this directory.
void RemoveRegistration(const Record *record, Removal *removal);

// message.cpp: the texts the person sees (bounded, into `size` bytes).
void ComposeQuestion(const Record *record, char *text, size_t size);
void ComposeResult(const Record *record, const Removal *removal, char *text, size_t size);
// One failure: counted, logged, and named if there is room.
void NoteFailure(Removal *removal, const char *what, DWORD status);

// selfremove.cpp: Uninst72.exe cannot delete itself while it runs; a copy
// in the temporary folder waits for it to end and deletes it (and the
// application directory when that is then empty), and is itself deleted
// when Windows next starts.
struct CommandLine;
// The copy's run: its command line holds CLEANUP_SWITCHES.
int RunCleanup(const CommandLine *line);
// Starts the copy for `self`; `dir` is the directory to remove when it is
// empty, or NULL. 0 when no copy could be started.
int StartCleanup(const char *self, const char *dir);
// Marks `path` for deletion when Windows next starts.
int DeleteAtRestart(const char *path);
