// Placeholder until the folder chooser lands.
#include "setupdlg.h"

int GetChangedDir(HWND owner, char *out, const char *title) { (void)owner; (void)out; (void)title; return 0; }
