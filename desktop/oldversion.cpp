// Placeholder until the desktop steps land.
#include "desktop.h"
void RemoveOldShellGroupAndShortcut(HWND dialog, SetupOptions *options) { (void)dialog; (void)options; }
