// Placeholder until the desktop steps land.
#include "desktop.h"
void CreateShellGroupAndShortcut(HWND dialog, SetupOptions *options) { (void)dialog; (void)options; }
int AddGroup(HWND owner, const char *path) { (void)owner; (void)path; return 0; }
int CreateLink(HWND owner, const char *target, const char *link, const char *workdir) { (void)owner; (void)target; (void)link; (void)workdir; return 0; }
