// Extraction of the payload: every record of the container resource is
// expanded into the application directory, checked against its CRC-32 and
// stamped with setup.exe's own last-write time.
#include "container.h"
#include "copydlg.h"
#include "crc32.h"
#include "desktop.h"
#include "implode.h"
#include "log.h"
#include "resource.h"
#include "setup.h"
#include "textbuf.h"
#include "uninstinfo.h"
#include <commctrl.h>
#include <string.h>

void DestroyDialogAndParent(HWND dialog)
{
    HWND parent = GetParent(dialog);
    DestroyWindow(dialog);
    DestroyWindow(parent);
}

// Reports an extraction failure and ends the program's windows; returns 0
// for the caller to pass on.
static int FailExtraction(HWND dialog, const char *message, const char *call, int status)
{
    ReportFailure(dialog, message, "UncompressMcfFile", call, status);
    DestroyDialogAndParent(dialog);
    return 0;
}

uint32_t ReadStreamBlock(char *buffer, uint32_t *size, void *param)
{
    ExpandContext *context = (ExpandContext *)param;
    if (context->position >= context->length)
        return 0;
    uint32_t n = context->length - context->position;
    if (n > *size)
        n = *size;
    memcpy(buffer, context->stream + context->position, n);
    context->position += n;
    context->remaining -= n;
    return n;
}

void WriteExpandedBlock(char *buffer, uint32_t *size, void *param)
{
    ExpandContext *context = (ExpandContext *)param;
    DWORD written = 0;
    if (*size != 0 &&
        (!WriteFile(context->file, buffer, *size, &written, NULL) || written != *size))
        context->write_failed = 1;
    context->crc = UpdateCrc32(buffer, size, &context->crc);
}

// Seconds a silent run waits for a file in use before it gives up.
#define SILENT_RETRY_MS 30000

// A file held by another program (a running Korvu72.exe): 1 to try again,
// because the user pressed Retry or a silent run has not yet waited long.
static int RetryFileInUse(HWND dialog, const char *path, DWORD start)
{
    if (g_silent && GetTickCount() - start < SILENT_RETRY_MS) {
        Sleep(500);
        return 1;
    }
    char text[MAX_PATH + 160];
    text[0] = '\0';
    AppendText(text, sizeof text, "The file ");
    AppendText(text, sizeof text, path);
    AppendText(text, sizeof text,
               " is in use by another program. Close Korvu ark 7.2 on this "
               "computer and press Retry, or press Cancel to stop the "
               "installation.");
    return ShowSetupBox(dialog, text, MB_RETRYCANCEL) == IDRETRY;
}

// Opens the output file, clearing a read-only attribute that stops it and
// asking about (or, silent, waiting for) an existing file that still cannot
// be opened: another program holds it (a sharing violation, or access
// denied on a file that is not read-only).
static HANDLE OpenOutputFile(HWND dialog, const char *path)
{
    DWORD start = GetTickCount();
    HANDLE file;
    while ((file = OpenOutput(path, 0)) == INVALID_HANDLE_VALUE) {
        DWORD attributes = GetFileAttributesA(path);
        // No such file (its folder is missing), or a folder: nothing to wait
        // for. INVALID_FILE_ATTRIBUTES has the directory bit too.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            break;
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            if (!SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY))
                break;
        } else if (!RetryFileInUse(dialog, path, start)) {
            break;
        }
    }
    return file;
}

int ExpandFile(HWND dialog, uint32_t *crc, uint32_t length, const char *stream, const char *path)
{
    ImplodeWorkArea *work =
        (ImplodeWorkArea *)HeapAlloc(GetProcessHeap(), 0, IMPLODE_WORK_AREA_SIZE);
    if (!work)
        return 0;
    ExpandContext context;
    context.stream = stream;
    context.position = 0;
    context.length = length;
    context.remaining = length;
    context.crc = 0xFFFFFFFFu;
    context.write_failed = 0;
    context.file = OpenOutputFile(dialog, path);
    if (context.file == INVALID_HANDLE_VALUE) {
        HeapFree(GetProcessHeap(), 0, work);
        return 0;
    }
    int result = 0;
    if (length == 0) {
        *crc = ~context.crc;
        result = 1;
    } else if (ExpandImplodeStream(ReadStreamBlock, WriteExpandedBlock, work, &context) ==
               IMPLODE_OK) {
        *crc = ~context.crc;
        result = context.remaining == 0;
    }
    // A block or the last buffer that did not reach the disk (a full disk)
    // would leave a short file behind a good CRC: that is a failure too.
    if (context.write_failed)
        result = 0;
    char size[12];
    size[0] = ' ';
    if (result)
        LogLine("File ", path,
                FormatUnsigned(size + 1, (unsigned)GetFileSize(context.file, NULL)) - 1);
    CloseHandle(context.file);
    HeapFree(GetProcessHeap(), 0, work);
    return result;
}

// Gives the file setup.exe's last-write time; silent when it cannot.
static void StampFile(const char *path, const FILETIME *stamp)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SetFileTime(file, NULL, NULL, stamp);
    CloseHandle(file);
}

// Expands one record; 0 after a reported failure.
static int ExpandRecord(HWND dialog, HWND label, const char *appPath, const McfRecord *record,
                        const unsigned char *stream, const FILETIME *stamp)
{
    char path[MAX_PATH];
    if (!JoinText(path, sizeof path, appPath, record->file_name))
        return FailExtraction(dialog, "Internal Error 13", "ExpandFile", 0);
    SetWindowTextA(label, path);
    uint32_t crc = 0;
    if (!ExpandFile(dialog, &crc, record->stream_length, (const char *)stream, path) ||
        crc != record->crc32)
        return FailExtraction(dialog, "Internal Error 13", "ExpandFile", 0);
    StampFile(path, stamp);
    NoteMade(RECORD_FILE, record->file_name);
    return 1;
}

int ExpandContainer(HWND dialog, HWND progress, const void *data, uint32_t size,
                    const FILETIME *stamp)
{
    SendMessageA(progress, PBM_SETRANGE32, 1, (LPARAM)size);
    SetupOptions *options = (SetupOptions *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
    if (!options)
        return FailExtraction(dialog, "Internal Error 7", "GetWindowLong", (int)GetLastError());
    HWND bar = GetDlgItem(dialog, IDC_CDLG_PRG_CPFILE);
    if (!bar)
        return FailExtraction(dialog, "Internal Error 8", "GetDlgItem(hwnd, IDC_CDLG_PRG_CPFILE)",
                              (int)GetLastError());
    HWND label = GetDlgItem(dialog, IDC_CDLG_LBL_FNAME);
    if (!label)
        return FailExtraction(dialog, "Internal Error 9", "GetDlgItem(hwnd, IDC_CDLG_LBL_FNAME)",
                              (int)GetLastError());
    McfReader reader;
    if (McfOpen(&reader, data, size) != MCF_RECORD)
        return FailExtraction(dialog, "Internal Error 10", "McfFileheader", 0);

    uint32_t total = 0;
    for (;;) {
        McfRecord record;
        const unsigned char *stream = NULL;
        int next = McfNext(&reader, &record, &stream);
        if (next == MCF_END)
            return 1;
        // A stream that runs past the resource cannot expand: as error 13.
        if (next == MCF_BAD_STREAM)
            return FailExtraction(dialog, "Internal Error 13", "ExpandFile", 0);
        if (next != MCF_RECORD)
            return FailExtraction(dialog, "Internal Error 10", "McfFileheader", 0);
        if (!ExpandRecord(dialog, label, options->app_path, &record, stream, stamp))
            return 0;
        total += record.stream_length;
        SendMessageA(bar, PBM_SETPOS, (WPARAM)total, 0);
    }
}

// setup.exe's own last-write time, which every installed file gets.
static int ReadOwnLastWriteTime(HWND dialog, HINSTANCE module, FILETIME *stamp)
{
    char self[MAX_PATH];
    stamp->dwLowDateTime = 0;
    stamp->dwHighDateTime = 0;
    // A path cut at the buffer's end would be unterminated on older systems.
    DWORD length = GetModuleFileNameA(module, self, sizeof self);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (length > 0 && length < sizeof self)
        file = CreateFileA(self, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FailExtraction(dialog, "Internal Error 14", "CreateFile", 0);
    BOOL read = GetFileTime(file, NULL, NULL, stamp);
    CloseHandle(file);
    if (!read)
        return FailExtraction(dialog, "Internal Error 15", "GetFileTime", 0);
    return 1;
}

int PayloadIsWhole(HINSTANCE module)
{
    DWORD checkSize, size;
    int step;
    const void *value = LoadOwnContainer(module, IDR_CMPCHECK, &checkSize, &step);
    if (!value && step == OWN_CONTAINER_MISSING)
        return 1;
    const void *data = LoadOwnContainer(module, IDR_CMPFILE, &size, &step);
    DWORD uninstallSize = 0;
    const void *uninstall = LoadOwnContainer(module, IDR_UNINSTALL, &uninstallSize, &step);
    return value && data && McfCheckMatches(value, checkSize, data, size) &&
           McfCheckSecondMatches(value, checkSize, uninstall, uninstallSize);
}

// The message and the call of each step of LoadOwnContainer.
static const char *const kStepFailures[3][2] = {{"Internal Error 4", "FindResource"},
                                                {"Internal Error 5", "LoadResource"},
                                                {"Internal Error 6", "LockResource"}};

int UncompressMcfFile(HWND dialog, HWND progress)
{
    HINSTANCE module = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    FILETIME stamp;
    if (!ReadOwnLastWriteTime(dialog, module, &stamp))
        return 0;
    // The payload, then the uninstaller: a container of its own, so that a
    // payload put in by mcftool build keeps it, written like a payload file.
    for (int id = IDR_CMPFILE;; id = IDR_UNINSTALL) {
        DWORD size;
        int step;
        const void *data = LoadOwnContainer(module, id, &size, &step);
        if (!data)
            return FailExtraction(dialog, kStepFailures[step - 1][0], kStepFailures[step - 1][1],
                                  (int)GetLastError());
        if (!ExpandContainer(dialog, progress, data, size, &stamp) || id == IDR_UNINSTALL)
            return id == IDR_UNINSTALL;
    }
}
