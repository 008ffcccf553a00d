// Bounded text composition for the fixed 260-byte path buffers.
// Portable: no <windows.h>. Each routine either writes the whole result
// with its terminator or, when it would not fit, leaves the buffer as it
// was and returns 0; nothing is ever written past `size` bytes.
#pragma once
#include <stddef.h>

// dst = src. Returns 1, or 0 when src does not fit.
int CopyText(char *dst, size_t size, const char *src);

// dst += src. Returns 1, or 0 when the result does not fit.
int AppendText(char *dst, size_t size, const char *src);

// dst = a + b. Returns 1, or 0 (dst untouched) when the result does not fit.
int JoinText(char *dst, size_t size, const char *a, const char *b);

// Appends a backslash unless the text is empty or already ends with one.
int EnsureBackslash(char *dst, size_t size);

// Removes one trailing backslash, if there is one.
void DropBackslash(char *text);

// 1 when the text is non-empty and its last character is a backslash.
int EndsWithBackslash(const char *text);
