// Extraction of the payload: every record of the container resources is
// expanded into the application directory under a staged name, checked
// against its CRC-32 and stamped with setup.exe's own last-write time; then
// all are put in place at once (txn.cpp), or none.
#include "container.h"
#include "copydlg.h"
#include "crc32.h"
#include "fileops.h"
#include "implode.h"
#include "log.h"
#include "options.h"
#include "resource.h"
#include "runtime.h"
#include "textbuf.h"
#include "txn.h"
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
    RemoveMadeDirs();
    ReportFailure(dialog, message, "UncompressMcfFile", call, status);
    if (dialog)
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

// Decoded bytes go to disk in blocks this large: a few calls per file
// instead of one per 4 KB block of the decoder.
#define OUTPUT_BLOCK 65536u

static void FlushOutput(ExpandContext *context)
{
    if (context->buffered != 0 && !WriteBlock(context->file, context->buffer, context->buffered))
        context->write_failed = 1;
    context->written += context->buffered;
    context->buffered = 0;
}

void WriteExpandedBlock(char *buffer, uint32_t *size, void *param)
{
    ExpandContext *context = (ExpandContext *)param;
    // The decoder hands out at most IMPLODE_BLOCK_SIZE bytes at a time.
    if (context->buffered + *size > OUTPUT_BLOCK)
        FlushOutput(context);
    memcpy(context->buffer + context->buffered, buffer, *size);
    context->buffered += *size;
    context->crc = UpdateCrc32(buffer, size, &context->crc);
}

// The decoder's work area and the output block: one file is expanded at a
// time, so one of each, for the life of the program.
static union {
    ImplodeWorkArea work;
    char bytes[IMPLODE_WORK_AREA_SIZE + OUTPUT_BLOCK];
} g_expandMemory;

int ExpandFile(const char *shown, uint32_t *crc, uint32_t length, const char *stream,
               const char *path, const FILETIME *stamp)
{
    ExpandContext context;
    context.stream = stream;
    context.position = 0;
    context.length = length;
    context.remaining = length;
    context.crc = 0xFFFFFFFFu;
    context.write_failed = 0;
    context.buffer = g_expandMemory.bytes + IMPLODE_WORK_AREA_SIZE;
    context.buffered = 0;
    context.written = 0;
    context.file =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (context.file == INVALID_HANDLE_VALUE)
        return 0;
    int result = 0;
    if (length == 0) {
        *crc = ~context.crc;
        result = 1;
    } else if (ExpandImplodeStream(ReadStreamBlock, WriteExpandedBlock, &g_expandMemory.work,
                                   &context) == IMPLODE_OK) {
        *crc = ~context.crc;
        result = context.remaining == 0;
    }
    FlushOutput(&context);
    // A block that did not reach the disk (a full disk) would leave a short
    // file behind a good CRC: that is a failure too.
    if (context.write_failed)
        result = 0;
    char size[12];
    size[0] = ' ';
    if (result)
        LogLine("File ", shown, FormatUnsigned(size + 1, context.written) - 1);
    SetFileTime(context.file, NULL, NULL, stamp);
    if (!CloseHandle(context.file))
        result = 0;
    return result;
}

// Expands one record under its staged name; 0 when it cannot be.
static int StageRecord(HWND label, const char *appPath, const McfRecord *record,
                       const unsigned char *stream, const FILETIME *stamp)
{
    char path[MAX_PATH], shown[MAX_PATH];
    if (!TxnPath(path, appPath, STAGED_PREFIX, record->file_name) ||
        !JoinText(shown, sizeof shown, appPath, record->file_name))
        return 0;
    if (label)
        SetWindowTextA(label, shown);
    uint32_t crc = 0;
    return ExpandFile(shown, &crc, record->stream_length, (const char *)stream, path, stamp) &&
           crc == record->crc32;
}

// The progress bar moves in steps of at least this fraction of its range:
// each position redraws it, and a silent run has no one to look.
#define PROGRESS_STEPS 32

// Expands every record of every container of the set under its staged
// name. 1, or the number of the internal error that stopped it.
static int StageAll(HWND bar, HWND label, const char *app, const PayloadSet *set,
                    const FILETIME *stamp, uint32_t range)
{
    uint32_t total = 0, shown = 0;
    RecordWalk walk;
    McfRecord record;
    const unsigned char *stream;
    int next = StartRecords(&walk, set);
    while (next == MCF_RECORD && (next = NextRecord(&walk, &record, &stream)) == MCF_RECORD) {
        if (!StageRecord(label, app, &record, stream, stamp))
            return 13;
        total += record.stream_length;
        if (bar && total - shown >= range / PROGRESS_STEPS) {
            SendMessageA(bar, PBM_SETPOS, (WPARAM)total, 0);
            shown = total;
        }
    }
    if (bar && shown != total)
        SendMessageA(bar, PBM_SETPOS, (WPARAM)total, 0);
    // A stream that runs past the resource cannot expand: as error 13.
    return next == MCF_END ? 1 : next == MCF_BAD_STREAM ? 13 : 10;
}

// Installs the set into app_path as one step: staged, checked, then put in
// place; any failure leaves the directory as it was. 0 after a reported
// failure. With a dialog, the options are the dialog's and its bar and
// label show the progress; without one (a silent run), `options`.
static int InstallSet(HWND dialog, HWND progress, const SetupOptions *options,
                      const PayloadSet *set, const FILETIME *stamp)
{
    uint32_t range = 0;
    for (int i = 0; i < set->count; i++)
        range += set->size[i];
    HWND bar = NULL, label = NULL;
    if (dialog) {
        SendMessageA(progress, PBM_SETRANGE32, 1, (LPARAM)range);
        options = (SetupOptions *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
        if (!options)
            return FailExtraction(dialog, "Internal Error 7", "GetWindowLong", (int)GetLastError());
        bar = GetDlgItem(dialog, IDC_CDLG_PRG_CPFILE);
        if (!bar)
            return FailExtraction(dialog, "Internal Error 8",
                                  "GetDlgItem(hwnd, IDC_CDLG_PRG_CPFILE)", (int)GetLastError());
        label = GetDlgItem(dialog, IDC_CDLG_LBL_FNAME);
        if (!label)
            return FailExtraction(dialog, "Internal Error 9",
                                  "GetDlgItem(hwnd, IDC_CDLG_LBL_FNAME)", (int)GetLastError());
    }
    const char *app = options->app_path;
    FinishInterruptedRun(app);
    int staged = StageAll(bar, label, app, set, stamp, range);
    if (staged == 1 && PlaceStagedFiles(dialog, app, set))
        return 1;
    // What was expanded goes (placing has already undone itself).
    FinishInterruptedRun(app);
    if (staged == 10)
        return FailExtraction(dialog, "Internal Error 10", "McfFileheader", 0);
    return FailExtraction(dialog, "Internal Error 13", "ExpandFile", 0);
}

int ExpandContainer(HWND dialog, HWND progress, const void *data, uint32_t size,
                    const FILETIME *stamp)
{
    PayloadSet set;
    set.data[0] = data;
    set.size[0] = size;
    set.count = 1;
    return InstallSet(dialog, progress, NULL, &set, stamp);
}

// setup.exe's own last-write time, which every installed file gets.
static int ReadOwnLastWriteTime(HWND dialog, HINSTANCE module, FILETIME *stamp)
{
    char self[MAX_PATH];
    // The directory entry has the time: no need to open the file. A path
    // cut at the buffer's end would be unterminated on older systems.
    DWORD length = GetModuleFileNameA(module, self, sizeof self);
    WIN32_FIND_DATAA found;
    HANDLE search = INVALID_HANDLE_VALUE;
    if (length > 0 && length < sizeof self)
        search = FindFirstFileA(self, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FailExtraction(dialog, "Internal Error 14", "CreateFile", 0);
    FindClose(search);
    *stamp = found.ftLastWriteTime;
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

// The containers of the run, for the uninstaller's record afterwards.
static PayloadSet g_installed;

int UncompressMcfFile(HWND dialog, HWND progress)
{
    return InstallPayload(dialog, progress, NULL);
}

int InstallPayload(HWND dialog, HWND progress, const SetupOptions *options)
{
    HINSTANCE module = g_hInstance;
    FILETIME stamp;
    if (!ReadOwnLastWriteTime(dialog, module, &stamp))
        return 0;
    // The payload, then the uninstaller: a container of its own, so that a
    // payload put in by mcftool build keeps it, installed like a payload file.
    PayloadSet *set = &g_installed;
    for (set->count = 0; set->count < MAX_CONTAINERS; set->count++) {
        int step;
        set->data[set->count] = LoadOwnContainer(module, set->count ? IDR_UNINSTALL : IDR_CMPFILE,
                                                 (DWORD *)&set->size[set->count], &step);
        if (!set->data[set->count])
            return FailExtraction(dialog, kStepFailures[step - 1][0], kStepFailures[step - 1][1],
                                  (int)GetLastError());
    }
    return InstallSet(dialog, progress, options, set, &stamp);
}

void NoteInstalledFiles(void)
{
    NoteSetFiles(&g_installed);
}
