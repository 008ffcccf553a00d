// Placeholder until the path rules land.
#include "pathrules.h"

char *TrimSpaces(char *text) { return text; }
int IsBlank(const char *text) { return text[0] == '\0'; }
int ValidateAndCompletePath(char *path, const char *base, int addBackslash) { (void)base; (void)addBackslash; return path[0] != '\0'; }
