// Helpers for tests that drive real windows under Wine: find the windows a
// thread shows, read their texts, answer modal boxes from a second thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

std::string WindowText(HWND window);
// The text a window shows, through WM_GETTEXT answered within 5 s; "<no
// window>" or "<no answer>" in its place, as a failure message shows it.
std::string WindowTextTimed(HWND window);
// The text the system keeps for the window (captions, static texts), read
// without asking the window's thread: for watchers while that thread may be
// busy or waiting for them. It never times out, so never reads empty.
std::string WindowTextNoWait(HWND window);
std::string ClassName(HWND window);
std::vector<HWND> ChildrenOfClass(HWND parent, const char *className);
// The visible top-level windows of a process.
std::vector<HWND> VisibleWindows(DWORD pid);

// A visible window of the dialog class (message boxes, dialogs, the folder
// browser).
bool IsVisibleDialog(HWND window);
// The message of a message box: its text control (id 0xFFFF), else its
// longest static text (the icon has none).
std::string MessageBoxText(HWND box);
// Presses button `id` of a box or dialog, as a click would.
void PressButton(HWND window, int id);

// A top-level dialog of `thread` whose caption is `caption` and which holds
// a child with id `childId` (0: any), waited for up to `ms`.
HWND WaitForDialog(DWORD thread, const char *caption, int childId, int ms);

// Answers the next message box of a thread: records its text and buttons,
// then presses OK. Runs on its own thread while the box's owner is modal.
struct BoxWatch {
    DWORD thread = 0; // the thread that will show the box
    int timeoutMs = 5000;
    bool found = false;
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    HANDLE handle = NULL;
};
void StartBoxWatch(BoxWatch *watch);
void FinishBoxWatch(BoxWatch *watch); // joins the watcher thread

// Removes a file, or a directory (with or without its trailing backslash)
// and everything under it, read-only files too; absent is fine.
void RemoveTree(const std::string &path);

// Starts `exe` with the whole `commandLine` (its quoted name first) in `dir`
// (empty: this program's), asked to show itself with `show`; false with
// GetLastError() telling why.
bool StartShown(const std::string &exe, const std::string &commandLine, const std::string &dir,
                WORD show, PROCESS_INFORMATION *info);

// Runs a command line in `dir` and waits up to `ms` for it; its exit code,
// or -1 when it could not start or had to be ended (a program that hangs).
int RunAndWait(const std::string &command, const std::string &dir, DWORD ms);

// Polls `done` every 20 ms until it holds; false when `ms` pass first.
bool WaitUntil(const std::function<bool()> &done, int ms);

// Pumps this thread's messages for `ms` milliseconds.
void PumpMessages(int ms);

// The client area of a window as 0x00RRGGBB pixels, read from the screen.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned int> rgb;
    unsigned int at(int x, int y) const { return rgb[(size_t)y * width + x]; }
};
Pixels CaptureClient(HWND window);
// The pixels of a bitmap resource of this program, in the same form.
Pixels BitmapPixels(HINSTANCE instance, int id);
