// The log of an unattended run (/LOG=FILE): plain text, appended, one line
// per event, each line on disk before the next event. Portable: Win32 files
// on Windows, C stdio elsewhere.
#pragma once

// Opens the log for appending; 1, or 0 when it cannot be opened (the run
// goes on without it).
int LogOpen(const char *path);

// One line: the three texts one after another (b and c may be null). Each
// line feed inside them (a message box's empty line) becomes a blank, so
// that every event stays on one line. Nothing when no log is open.
void LogLine(const char *a, const char *b, const char *c);

void LogClose(void);

// The run's last line, "Exit status N", and the log closed; returns status.
int LogExitStatus(int status);

// Unsigned decimal into out (at least 11 bytes: 10 digits), without printf.
char *FormatUnsigned(char *out, unsigned int value);
