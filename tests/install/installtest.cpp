#include "installtest.h"
#include "copydlg.h"
#include "encoder.h"
#include "payloadcheck.h"
#include "resource.h"
#include "wintest.h"
#include <commctrl.h>
#include <stdio.h>

// ---------------------------------------------------------------- boxes

struct BoxSearch {
    HWND box;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    BoxSearch *search = (BoxSearch *)param;
    // The copy dialog has the same caption and class, but no OK button.
    if (IsVisibleDialog(window) && (GetDlgItem(window, IDOK) || GetDlgItem(window, IDRETRY)) &&
        !GetDlgItem(window, IDC_CDLG_BTN_CANCEL) && WindowTextNoWait(window) == SETUP_TITLE) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

static DWORD WINAPI WatchBoxes(void *param)
{
    BoxLog *log = (BoxLog *)param;
    HWND answered = NULL;
    while (!log->stop) {
        BoxSearch search = {NULL};
        EnumThreadWindows(log->thread, FindBox, (LPARAM)&search);
        if (search.box && (search.box != answered)) {
            std::string text = MessageBoxText(search.box);
            EnterCriticalSection(&log->lock);
            log->texts.push_back(text);
            LeaveCriticalSection(&log->lock);
            answered = search.box;
            if (log->cancelAtFirstBox && log->texts.size() == 1)
                PostMessageA(log->cancelAtFirstBox, WM_COMMAND,
                             MAKEWPARAM(IDC_CDLG_BTN_CANCEL, BN_CLICKED), 0);
            WPARAM button = IDOK;
            if (GetDlgItem(search.box, IDRETRY)) {
                button = log->releaseAtRetry ? IDRETRY : IDCANCEL;
                if (log->releaseAtRetry)
                    CloseHandle(log->releaseAtRetry);
                log->releaseAtRetry = NULL;
            }
            PostMessageA(search.box, WM_COMMAND, button, 0);
        }
        if (answered && !IsWindow(answered))
            answered = NULL;
        Sleep(20);
    }
    return 0;
}

void StartBoxLog(BoxLog *log)
{
    InitializeCriticalSection(&log->lock);
    log->thread = GetCurrentThreadId();
    log->stop = 0;
    log->handle = CreateThread(NULL, 0, WatchBoxes, log, 0, NULL);
}

std::vector<std::string> StopBoxLog(BoxLog *log)
{
    InterlockedExchange(&log->stop, 1);
    // Answer what the watcher may still be asking this thread's windows.
    while (MsgWaitForMultipleObjects(1, &log->handle, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(log->handle);
    DeleteCriticalSection(&log->lock);
    return log->texts;
}

std::string Joined(const std::vector<std::string> &texts)
{
    std::string all;
    for (const std::string &t : texts)
        all += "[" + t + "] ";
    return all;
}

// ---------------------------------------------------------------- windows

void InitInstallTests()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    CoInitialize(NULL);
    InitCommonControls();
    g_hInstance = GetModuleHandleA(NULL);
    g_osvi.dwOSVersionInfoSize = sizeof g_osvi;
    GetVersionExA(&g_osvi);
    lstrcpyA(g_szIniFile, "Korvu.ini");
    RegisterMainWindowClass(g_hInstance);
}

CopyDialog OpenCopyDialog(SetupOptions *options)
{
    InitInstallTests();
    CopyDialog windows;
    windows.background = CreateMainWindow(g_hInstance);
    windows.dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_COPY), windows.background,
                                        CopyDlgProc, (LPARAM)options);
    if (windows.dialog)
        ShowWindow(windows.dialog, SW_SHOW);
    return windows;
}

// Removes what is queued; 1 when a quit message was among it.
static int DrainQueue()
{
    int quit = 0;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quit = 1;
        else
            DispatchMessageA(&message);
    }
    return quit;
}

int CloseCopyDialog(CopyDialog *windows)
{
    int quit = DrainQueue();
    if (IsWindow(windows->dialog))
        DestroyWindow(windows->dialog);
    if (IsWindow(windows->background))
        DestroyWindow(windows->background);
    DrainQueue();
    return quit;
}

static WNDPROC g_progressProc;
static ProgressLog *g_progressLog;

static LRESULT CALLBACK LogProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS && g_progressLog)
        g_progressLog->positions.push_back((unsigned)wParam);
    return CallWindowProcA(g_progressProc, window, message, wParam, lParam);
}

void WatchProgress(HWND dialog, ProgressLog *log)
{
    g_progressLog = log;
    HWND bar = GetDlgItem(dialog, IDC_CDLG_PRG_CPFILE);
    g_progressProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)LogProgress);
}

// ---------------------------------------------------------------- files

std::string ScratchDir(const std::string &name)
{
    CreateDirectoryA("C:\\itest", NULL);
    std::string dir = "C:\\itest\\" + name;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), NULL);
    return dir + "\\";
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILETIME LastWriteTime(const std::string &path)
{
    FILETIME time = {0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        time = data.ftLastWriteTime;
    return time;
}

std::string OwnPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, sizeof path);
    return path;
}

std::string FormatTime(const FILETIME &time)
{
    char text[32];
    snprintf(text, sizeof text, "%08lx:%08lx", (unsigned long)time.dwHighDateTime,
             (unsigned long)time.dwLowDateTime);
    return text;
}

SetupOptions MakeOptions(const std::string &app, const std::string &data, const std::string &config)
{
    SetupOptions options;
    ZeroMemory(&options, sizeof options);
    lstrcpynA(options.app_path, app.c_str(), MAX_PATH);
    lstrcpynA(options.data_path, data.c_str(), MAX_PATH);
    lstrcpynA(options.config_path, config.c_str(), MAX_PATH);
    return options;
}

// ---------------------------------------------------------------- containers

Bytes NewContainer()
{
    return Bytes{'M', 'C', 'F', 'X'};
}

Bytes Implode(const std::string &data)
{
    return ImplodeOptimal((const unsigned char *)data.data(), data.size(), kDefaultHeader);
}

uint32_t CrcOf(const std::string &data)
{
    return Crc32Of((const unsigned char *)data.data(), data.size());
}

void AddRawRecord(Bytes *container, const std::string &name, uint32_t crc, const Bytes &stream)
{
    AppendRecord(container, name, crc, stream);
}

void AddRecord(Bytes *container, const std::string &name, const std::string &data)
{
    AddRawRecord(container, name, CrcOf(data), data.empty() ? Bytes() : Implode(data));
}

std::string SampleData(size_t size, unsigned start)
{
    static const char *words[] = {"ledger ",  "invoice ", "0001 ",    "VAT ",
                                  "account ", "\r\n",     "balance ", "Korvu "};
    std::string data;
    unsigned state = start;
    while (data.size() < size) {
        state = state * 1103515245u + 12345u;
        if ((state >> 16) % 4 == 0)
            data += (char)(state >> 24);
        else
            data += words[(state >> 20) % 8];
    }
    data.resize(size);
    return data;
}

// ---------------------------------------------------------------- shortcuts

std::string FolderPath(int csidl)
{
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(NULL, path, csidl, FALSE))
        return "";
    return path;
}

LinkInfo ReadLink(const std::string &path)
{
    LinkInfo info;
    IShellLinkA *link = NULL;
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         (void **)&link) != S_OK)
        return info;
    IPersistFile *file = NULL;
    if (link->QueryInterface(IID_IPersistFile, (void **)&file) == S_OK) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (file->Load(wide, STGM_READ) == S_OK) {
            char text[MAX_PATH] = "";
            info.loaded = true;
            link->GetPath(text, MAX_PATH, NULL, SLGP_RAWPATH);
            info.target = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, MAX_PATH);
            info.workdir = text;
        }
        file->Release();
    }
    link->Release();
    return info;
}

bool MakeLink(const std::string &path, const std::string &target)
{
    IShellLinkA *link = NULL;
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         (void **)&link) != S_OK)
        return false;
    bool saved = false;
    IPersistFile *file = NULL;
    link->SetPath(target.c_str());
    if (link->QueryInterface(IID_IPersistFile, (void **)&file) == S_OK) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        saved = file->Save(wide, TRUE) == S_OK;
        file->Release();
    }
    link->Release();
    return saved;
}

void CleanShellFolders()
{
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        RemoveTree(FolderPath(csidl) + "\\Korvu ark 7.2");
        RemoveTree(FolderPath(csidl) + "\\Korvu orb 6.3");
    }
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
        DeleteFileA((FolderPath(csidl) + "\\Korvu 7.2.lnk").c_str());
        DeleteFileA((FolderPath(csidl) + "\\Korvu 6.3.lnk").c_str());
    }
}
