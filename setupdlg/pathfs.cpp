// Placeholder until the path routines land.
#include "setupdlg.h"

int DoMakeDir(char *path) { return CreateDirectoryA(path, NULL) ? 0 : (int)GetLastError(); }
int ConfigFileExists(const char *directory) { (void)directory; return 0; }
int FileExists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }
