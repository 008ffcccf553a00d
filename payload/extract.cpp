// Placeholder until the extraction lands.
#include "copydlg.h"

int UncompressMcfFile(HWND dialog, HWND progress) { (void)dialog; (void)progress; return 1; }

void DestroyDialogAndParent(HWND dialog)
{
    HWND parent = GetParent(dialog);
    DestroyWindow(dialog);
    DestroyWindow(parent);
}
