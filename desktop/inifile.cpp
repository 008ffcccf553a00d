// Placeholder until the desktop steps land.
#include "desktop.h"
int ChangeINIFile(HWND dialog) { (void)dialog; return 1; }
void WriteINITemplate(FILE *stream) { (void)stream; }
