// Drives one installation by the real setup.exe for measure.sh: Install on
// the setup dialog, then waits for the finish dialog and presses OK. Prints
// the time from Install to the finish dialog and the peak memory of the
// setup process, sampled while it runs. Writes a marker file while the copy
// dialog is up (and, with NAME, shows that file), so that the script can
// take its picture.
//   measure_driver SETUP.EXE MARKER [NAME]
#include <windows.h>

#include <psapi.h>
#include <stdio.h>
#include <string.h>

#define IDC_BTN_INSTALL 1016
#define IDC_CDLG_LBL_FNAME 1026
#define IDC_CDLG_BTN_CANCEL 1028
#define IDC_FDLG_BTN_OK 1040

struct Search {
    DWORD process;
    int child;
    HWND found;
};

static BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    Search *search = (Search *)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) &&
        GetDlgItem(window, search->child)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND DialogWith(DWORD process, int child)
{
    Search search = {process, child, NULL};
    EnumWindows(FindDialog, (LPARAM)&search);
    return search.found;
}

struct Peaks {
    SIZE_T workingSet;
    SIZE_T privateBytes;
};

static void Sample(HANDLE process, Peaks *peaks)
{
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        if (counters.PeakWorkingSetSize > peaks->workingSet)
            peaks->workingSet = counters.PeakWorkingSetSize;
        if (counters.PeakPagefileUsage > peaks->privateBytes)
            peaks->privateBytes = counters.PeakPagefileUsage;
    }
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: measure_driver SETUP.EXE MARKER [NAME]\n");
        return 2;
    }
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    char command[MAX_PATH + 2];
    snprintf(command, sizeof command, "\"%s\"", argv[1]);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child)) {
        fprintf(stderr, "cannot start %s: %lu\n", argv[1], GetLastError());
        return 1;
    }
    HWND setup = NULL;
    for (int i = 0; i < 1500 && !setup; i++) {
        Sleep(20);
        setup = DialogWith(child.dwProcessId, IDC_BTN_INSTALL);
    }
    if (!setup) {
        fprintf(stderr, "no setup dialog\n");
        TerminateProcess(child.hProcess, 1);
        return 1;
    }
    Peaks before = {0, 0};
    Sample(child.hProcess, &before);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDC_BTN_INSTALL, BN_CLICKED),
                 (LPARAM)GetDlgItem(setup, IDC_BTN_INSTALL));

    Peaks peaks = {0, 0};
    HWND finish = NULL;
    int marked = 0;
    for (int i = 0; i < 60000 && !finish; i++) {
        Sample(child.hProcess, &peaks);
        HWND copy = marked ? NULL : DialogWith(child.dwProcessId, IDC_CDLG_BTN_CANCEL);
        // Another process's window text is read without a message, so this
        // works while setup's thread is busy expanding.
        char label[MAX_PATH] = "";
        if (copy)
            GetWindowTextA(GetDlgItem(copy, IDC_CDLG_LBL_FNAME), label, sizeof label);
        size_t have = strlen(label), want = argc > 3 ? strlen(argv[3]) : 0;
        if (copy && have >= want && strcmp(label + have - want, want ? argv[3] : "") == 0) {
            FILE *marker = fopen(argv[2], "w");
            if (marker)
                fclose(marker);
            marked = 1;
        }
        finish = DialogWith(child.dwProcessId, IDC_FDLG_BTN_OK);
        if (WaitForSingleObject(child.hProcess, 5) == WAIT_OBJECT_0)
            break;
    }
    QueryPerformanceCounter(&end);
    Sample(child.hProcess, &peaks);
    if (finish)
        PostMessageA(finish, WM_COMMAND, MAKEWPARAM(IDC_FDLG_BTN_OK, BN_CLICKED),
                     (LPARAM)GetDlgItem(finish, IDC_FDLG_BTN_OK));
    if (WaitForSingleObject(child.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    printf("finish_dialog %s\n", finish ? "yes" : "no");
    printf("install_seconds %.3f\n",
           (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart);
    printf("peak_working_set_kb %lu\n", (unsigned long)(peaks.workingSet / 1024));
    printf("peak_private_kb %lu\n", (unsigned long)(peaks.privateBytes / 1024));
    printf("private_before_install_kb %lu\n", (unsigned long)(before.privateBytes / 1024));
    return finish ? 0 : 1;
}
