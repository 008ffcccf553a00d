// The log of an unattended run (/LOG=FILE): plain text, appended, one line
// per event, each line on disk before the next event. Portable: C stdio.
#pragma once

// Opens the log for appending; 1, or 0 when it cannot be opened (the run
// goes on without it).
int LogOpen(const char *path);
int LogIsOpen(void);

// One line: the three texts one after another (b and c may be null). Line
// breaks inside them (a message box's empty line) become one blank each
// run, so that every event stays on one line. Nothing when no log is open.
void LogLine(const char *a, const char *b, const char *c);

// "a" followed by the number in decimal.
void LogNumber(const char *a, unsigned int number);

void LogClose(void);

// Unsigned decimal into out (at least 11 bytes: 10 digits), without printf.
char *FormatUnsigned(char *out, unsigned int value);
