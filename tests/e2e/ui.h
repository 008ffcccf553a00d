// What a person does with setup.exe, done from another process: start it,
// wait for its windows, read what they show, click and type with SendInput.
// Nothing here calls into the program; it only sees its windows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wintest.h" // window texts and classes, waits, starting a program

namespace e2e {

// A program started by the driver. The destructor ends it if it still runs,
// so that no test leaves a process behind.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // CreateProcess of `exe` in `dir` with `args` after its quoted name,
    // asked to show itself with `show`; false (and the error in `error`) if
    // it failed.
    bool Start(const std::string &exe, const std::string &dir, WORD show = SW_SHOWNORMAL,
               const std::string &args = "");
    // Takes over a process started elsewhere (ShellExecuteEx).
    void Adopt(HANDLE process);
    bool Running() const;
    // Waits for the end; false on timeout. `code` gets the exit code.
    bool WaitExit(int ms, DWORD *code);
    void Kill();
    DWORD pid() const { return pid_; }
    DWORD thread() const { return threadId_; } // its first thread
    DWORD error() const { return error_; }

private:
    HANDLE process_ = NULL;
    HANDLE thread_ = NULL;
    DWORD pid_ = 0;
    DWORD threadId_ = 0;
    DWORD error_ = 0;
};

// Holds a program's thread at two moments of its run, each until released
// (or the end of the hold): when its copy dialog names the first file, and
// when its finish dialog is made but not yet shown. The hook of hold.cpp,
// put into the program; the program goes on whatever happens to the driver.
class RunHold {
public:
    enum Point { Copy, Finish };
    RunHold() = default;
    ~RunHold();
    RunHold(const RunHold &) = delete;
    RunHold &operator=(const RunHold &) = delete;

    // False when the hook could not be set on `thread`.
    bool Arm(DWORD thread);
    // Whether the program is held at `point` (waits up to `ms`).
    bool Held(Point point, int ms);
    void Release(Point point);

private:
    HANDLE held_[2] = {NULL, NULL};
    HANDLE release_[2] = {NULL, NULL};
    HMODULE module_ = NULL;
    HHOOK hook_ = NULL;
};

// The text of dialog item `id`, through WM_GETTEXT (WindowTextTimed).
std::string ItemText(HWND dialog, int id);

// The windows of setup.exe, told apart by the controls they hold.
enum class Screen {
    None,
    Background,
    SetupDialog,
    CopyDialog,
    FinishDialog,
    FolderBrowser,
    MessageBox,
    Question,
    Other
};
Screen Classify(HWND window);
const char *ScreenName(Screen screen);
// The first visible top-level window of `pid` of that kind, or NULL.
HWND FindScreen(DWORD pid, Screen screen);
// Waits up to `ms` for such a window; NULL on timeout.
HWND WaitScreen(DWORD pid, Screen screen, int ms);
// Waits until a window is gone; false on timeout.
bool WaitGone(HWND window, int ms);
// A list of what `pid` shows now, for failure messages.
std::string DescribeScreens(DWORD pid);

// Waits until the window's thread has handled everything sent before and
// has had a moment to paint.
void Settle(HWND window);

// Input, as a person's: the mouse moves to the middle of a control and
// clicks; keys go to the window with the keyboard focus.
void ClickWindow(HWND window);
void PressKey(WORD vk);
void KeyChord(WORD modifier, WORD vk);
void TypeText(const std::string &text);
// Clicks into an edit box, selects all of its text and types over it.
void ReplaceEditText(HWND edit, const std::string &text);
// Polls until the window's text is `expected` (input is asynchronous).
bool WaitText(HWND window, const std::string &expected, int ms);
// ReplaceEditText, then WaitText for what was typed.
bool TypeOver(HWND edit, const std::string &text, int ms);
// The control that has the keyboard focus in the window's thread.
HWND FocusedControl(HWND window);
// Polls until `control` has the keyboard focus.
bool WaitFocus(HWND control, int ms);
// Brings a window to the front so that keys reach it.
bool BringToFront(HWND window);
// Waits until the window is the foreground window, without making it one.
bool WaitForeground(HWND window, int ms);

// Asks the host script to photograph the screen as `name`.png and waits
// until it has; does nothing when no host script listens.
void Shot(const std::string &name);

} // namespace e2e
