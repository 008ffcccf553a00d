// The copy dialog, the installation run it performs, and the extraction
// of the payload into the application directory.
#pragma once
#include <windows.h>

#include <stdint.h>

// Sent once the copy dialog shows: its handler runs the whole installation.
#define WM_STARTCOPY (WM_USER + 1000)

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL copydlg_OnInitDialog(HWND dialog, HWND focus, LPARAM param);
void CopyFiles(HWND dialog);
struct SetupOptions;
// The installation run CopyFiles performs: the payload, the uninstaller's
// record, Korvu.ini, the shortcuts, the registration. The dialog and its
// progress bar are NULL in a silent run. 0 when the payload could not be
// installed (reported; the dialog and its owner are gone then).
int RunInstallSteps(HWND dialog, HWND progress, SetupOptions *options);

// extract.cpp
int UncompressMcfFile(HWND dialog, HWND progress);
// As UncompressMcfFile, for `options` where there is no dialog.
int InstallPayload(HWND dialog, HWND progress, const SetupOptions *options);
// Expands every record of the container data[0..size) into app_path, as
// UncompressMcfFile does with the payload resource; `stamp` is the
// last-write time every file gets. Reports its failures like it.
int ExpandContainer(HWND dialog, HWND progress, const void *data, uint32_t size,
                    const FILETIME *stamp);
void DestroyDialogAndParent(HWND dialog);
// Enters every file UncompressMcfFile installed in the uninstaller's record.
void NoteInstalledFiles(void);
// 1 when the payload resource matches its check value, or when setup.exe
// was built without one; 0 for a damaged setup.exe.
int PayloadIsWhole(HINSTANCE module);

// What both decoder callbacks work on while one file is expanded.
struct ExpandContext {
    const char *stream; // the record's stream, in place in the resource
    uint32_t position;  // stream bytes handed to the decoder so far
    uint32_t length;    // the record's stream_length
    HANDLE file;        // the output file
    uint32_t remaining; // stream bytes not yet handed out
    uint32_t crc;       // running CRC-32 of the expanded bytes
    int write_failed;   // a block did not reach the file completely
    char *buffer;       // decoded bytes not yet written (64 KB)
    uint32_t buffered;  // bytes in buffer
    uint32_t written;   // bytes handed to the file so far
};

// Expands a stream into the file at path (created or truncated), stamped
// with `stamp`; 1 when the file holds every expanded byte. The log names
// it `shown` (its name once in place).
int ExpandFile(const char *shown, uint32_t *crc, uint32_t length, const char *stream,
               const char *path, const FILETIME *stamp);
uint32_t ReadStreamBlock(char *buffer, uint32_t *size, void *param);
void WriteExpandedBlock(char *buffer, uint32_t *size, void *param);
