// Helpers of the installation-run tests: the real copy dialog over the real
// background window, a watcher that answers and records the failure boxes,
// scratch directories on Wine's drive C:, and containers made in memory
// with the project's encoder.
#pragma once
#include <windows.h>

#include "files.h"
#include "setup.h"
#include "wintest.h"
#include <shlobj.h>
#include <string>
#include <vector>

#include "bytes.h"

// ---- failure boxes

// Records the text of every box captioned "Korvu ark 7.2 Setup" that the
// starting thread shows, and presses OK on it, from a second thread; a box
// of a file in use (Retry and Cancel) gets Cancel, or, with releaseAtRetry
// set, that handle is closed (the other program lets go) and Retry pressed.
struct BoxLog {
    DWORD thread = 0;
    HANDLE handle = NULL;
    volatile LONG stop = 0;
    CRITICAL_SECTION lock;
    std::vector<std::string> texts;
    // When set: at the first box, the user presses Cancel of this copy
    // dialog (the click waits in its queue) before answering the box.
    HWND cancelAtFirstBox = NULL;
    HANDLE releaseAtRetry = NULL;
};
void StartBoxLog(BoxLog *log);
std::vector<std::string> StopBoxLog(BoxLog *log);
std::string Joined(const std::vector<std::string> &texts);

// ---- windows

// Once per program: g_hInstance, g_osvi, g_szIniFile, the window classes.
void InitInstallTests();

struct CopyDialog {
    HWND background = NULL;
    HWND dialog = NULL;
};
// The background window and, over it, the copy dialog from template 110
// with the real CopyDlgProc and `options` as its parameter.
CopyDialog OpenCopyDialog(SetupOptions *options);
// Destroys whatever is left; returns 1 when the program had been told to
// end (a quit message was waiting), and removes that message.
int CloseCopyDialog(CopyDialog *windows);

// Logs every PBM_SETPOS the progress bar of `dialog` receives.
struct ProgressLog {
    std::vector<unsigned> positions;
};
void WatchProgress(HWND dialog, ProgressLog *log);

// ---- files

// A fresh, empty C:\itest\<name>\ (with the trailing backslash).
std::string ScratchDir(const std::string &name);
bool Exists(const std::string &path);
FILETIME LastWriteTime(const std::string &path);
std::string OwnPath();
std::string FormatTime(const FILETIME &time);

// ---- options

SetupOptions MakeOptions(const std::string &app, const std::string &data,
                         const std::string &config);

// ---- containers

Bytes NewContainer();
Bytes Implode(const std::string &data);
void AddRecord(Bytes *container, const std::string &name, const std::string &data);
// A record as given, for headers and streams that do not agree.
void AddRawRecord(Bytes *container, const std::string &name, uint32_t crc, const Bytes &stream);
uint32_t CrcOf(const std::string &data);
// Deterministic bytes that compress somewhat, like a real data file.
std::string SampleData(size_t size, unsigned start);

// ---- shell folders and shortcuts

std::string FolderPath(int csidl);
// Removes both versions' groups and desktop shortcuts from every folder.
void CleanShellFolders();
struct LinkInfo {
    bool loaded = false;
    std::string target;
    std::string workdir;
};
LinkInfo ReadLink(const std::string &path);
// A shortcut file made by the test itself (for the previous version).
bool MakeLink(const std::string &path, const std::string &target);
