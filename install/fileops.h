// The file operations of the installation run that can fail half-way: a
// block written, a name moved, a file deleted. One place for them, so that
// a test program can put its own failing versions in their stead.
#pragma once
#include <windows.h>

// 1 when all `size` bytes reached the file.
int WriteBlock(HANDLE file, const void *data, DWORD size);
// Renames `from` to `to`, which must not exist (Windows 9x cannot replace).
int MoveName(const char *from, const char *to);
// Deletes a file, read-only or not; 1 when it is gone (or was never there).
int DeleteName(const char *path);
