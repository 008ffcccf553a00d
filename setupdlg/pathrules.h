// Text rules for the directories the user types. Portable: no <windows.h>.
#pragma once

char *TrimSpaces(char *text);
int IsBlank(const char *text);
// path: 260-byte buffer, changed in place only on success (1).
int ValidateAndCompletePath(char *path, const char *base, int addBackslash);
