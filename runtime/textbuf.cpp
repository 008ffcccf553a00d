#include "textbuf.h"
#include <string.h>

int CopyText(char *dst, size_t size, const char *src)
{
    size_t n = strlen(src);
    if (n >= size)
        return 0;
    memmove(dst, src, n + 1);
    return 1;
}

int AppendText(char *dst, size_t size, const char *src)
{
    size_t have = strlen(dst);
    size_t n = strlen(src);
    if (have >= size || n >= size - have)
        return 0;
    memmove(dst + have, src, n + 1);
    return 1;
}

int JoinText(char *dst, size_t size, const char *a, const char *b)
{
    size_t na = strlen(a);
    size_t nb = strlen(b);
    if (na >= size || nb >= size - na)
        return 0;
    // a or b may live in dst itself: move b first when a is in place.
    memmove(dst + na, b, nb + 1);
    if (dst != a)
        memmove(dst, a, na);
    return 1;
}

int EndsWithBackslash(const char *text)
{
    size_t n = strlen(text);
    return n > 0 && text[n - 1] == '\\';
}

int EnsureBackslash(char *dst, size_t size)
{
    if (dst[0] == '\0' || EndsWithBackslash(dst))
        return 1;
    return AppendText(dst, size, "\\");
}

void DropBackslash(char *text)
{
    size_t n = strlen(text);
    if (n > 0 && text[n - 1] == '\\')
        text[n - 1] = '\0';
}
