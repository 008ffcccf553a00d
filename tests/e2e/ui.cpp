// Driving setup.exe from outside, as a person at the screen would.
#include "ui.h"

#include <stdio.h>

namespace e2e {

namespace {

// The controls that tell setup.exe's windows apart.
const int kStateLabel = 1048;  // setup dialog: "New Installation" / "Upgradation"
const int kProgressBar = 1024; // copy dialog
const int kFinishOk = 1040;    // finish dialog
const int kMessageBoxText = 0xFFFF;

std::string ModuleDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SendOne(INPUT *input)
{
    SendInput(1, input, sizeof(INPUT));
}

void Key(WORD vk, bool down)
{
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendOne(&input);
}

void UnicodeChar(wchar_t c)
{
    INPUT input[2];
    ZeroMemory(input, sizeof input);
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wScan = c;
        input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, input, sizeof(INPUT));
}

// Lets the target's thread take the input before the next event; a person
// types at most a few keys in this time.
void Pace()
{
    Sleep(15);
}

void MouseTo(int x, int y, DWORD extra)
{
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_MOUSE;
    // Absolute coordinates are in 1/65536 of the screen; round up so that
    // the system's conversion back lands on the same pixel.
    input.mi.dx = (LONG)(((long long)x * 65536 + w - 1) / w);
    input.mi.dy = (LONG)(((long long)y * 65536 + h - 1) / h);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | extra;
    SendOne(&input);
}

} // namespace

HWND FocusedControl(HWND window)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info))
        return NULL;
    return info.hwndFocus;
}

bool WaitFocus(HWND control, int ms)
{
    return WaitUntil([&] { return FocusedControl(control) == control; }, ms);
}

// ---- Program ----------------------------------------------------------

Program::~Program()
{
    Kill();
    if (thread_)
        CloseHandle(thread_);
    if (process_)
        CloseHandle(process_);
}

bool Program::Start(const std::string &exe, const std::string &dir, WORD show,
                    const std::string &args)
{
    PROCESS_INFORMATION info;
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    if (!StartShown(exe, commandLine, dir, show, &info)) {
        error_ = GetLastError();
        return false;
    }
    process_ = info.hProcess;
    thread_ = info.hThread;
    pid_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
    return true;
}

void Program::Adopt(HANDLE process)
{
    if (process_ && process_ != process)
        CloseHandle(process_);
    process_ = process;
    pid_ = process ? GetProcessId(process) : 0;
}

bool Program::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(int ms, DWORD *code)
{
    if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(process_, code);
    return true;
}

void Program::Kill()
{
    if (Running()) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 10000);
    }
}

// ---- RunHold -----------------------------------------------------------

namespace {
// hold.cpp's names, by point.
const char *const kHeld[2] = {"KorvuE2ECopyHeld", "KorvuE2EFinishHeld"};
const char *const kRelease[2] = {"KorvuE2ECopyRelease", "KorvuE2EFinishRelease"};
} // namespace

bool RunHold::Arm(DWORD thread)
{
    for (int i = 0; i < 2; ++i) {
        held_[i] = CreateEventA(NULL, TRUE, FALSE, kHeld[i]);
        release_[i] = CreateEventA(NULL, TRUE, FALSE, kRelease[i]);
        if (!held_[i] || !release_[i])
            return false;
        // A hold of an earlier run is over.
        ResetEvent(held_[i]);
        ResetEvent(release_[i]);
    }
    module_ = LoadLibraryA((ModuleDir() + "e2e_hold.dll").c_str());
    HOOKPROC proc = module_ ? (HOOKPROC)(void *)GetProcAddress(module_, "HoldRun") : NULL;
    hook_ = proc ? SetWindowsHookExA(WH_CALLWNDPROCRET, proc, module_, thread) : NULL;
    return hook_ != NULL;
}

bool RunHold::Held(Point point, int ms)
{
    return held_[point] && WaitForSingleObject(held_[point], ms) == WAIT_OBJECT_0;
}

void RunHold::Release(Point point)
{
    if (release_[point])
        SetEvent(release_[point]);
}

RunHold::~RunHold()
{
    Release(Copy);
    Release(Finish);
    if (hook_)
        UnhookWindowsHookEx(hook_);
    if (module_)
        FreeLibrary(module_);
    for (int i = 0; i < 2; ++i) {
        if (held_[i])
            CloseHandle(held_[i]);
        if (release_[i])
            CloseHandle(release_[i]);
    }
}

// ---- Reading windows ---------------------------------------------------

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowTextTimed(item) : "<no control " + std::to_string(id) + ">";
}

Screen Classify(HWND window)
{
    std::string cls = ClassName(window);
    if (cls == "KorvuInstall")
        return Screen::Background;
    if (cls != "#32770")
        return Screen::Other;
    // The setup and finish dialogs hold IDC_STATIC controls too, so the
    // message box (static text 0xFFFF and an OK button) is tested last.
    if (GetDlgItem(window, kStateLabel))
        return Screen::SetupDialog;
    if (GetDlgItem(window, kProgressBar))
        return Screen::CopyDialog;
    if (GetDlgItem(window, kFinishOk))
        return Screen::FinishDialog;
    if (FindWindowExA(window, NULL, "SysTreeView32", NULL))
        return Screen::FolderBrowser;
    if (GetDlgItem(window, kMessageBoxText) && GetDlgItem(window, IDOK))
        return Screen::MessageBox;
    if (GetDlgItem(window, kMessageBoxText) && GetDlgItem(window, IDYES))
        return Screen::Question;
    return Screen::Other;
}

const char *ScreenName(Screen screen)
{
    switch (screen) {
    case Screen::None: return "none";
    case Screen::Background: return "background window";
    case Screen::SetupDialog: return "setup dialog";
    case Screen::CopyDialog: return "copy dialog";
    case Screen::FinishDialog: return "finish dialog";
    case Screen::FolderBrowser: return "folder browser";
    case Screen::Question: return "question (Yes/No)";
    case Screen::MessageBox: return "message box";
    case Screen::Other: return "other window";
    }
    return "?";
}

HWND FindScreen(DWORD pid, Screen screen)
{
    for (HWND window : VisibleWindows(pid))
        if (Classify(window) == screen)
            return window;
    return NULL;
}

HWND WaitScreen(DWORD pid, Screen screen, int ms)
{
    HWND window = NULL;
    WaitUntil([&] { return (window = FindScreen(pid, screen)) != NULL; }, ms);
    return window;
}

bool WaitGone(HWND window, int ms)
{
    return WaitUntil([&] { return !IsWindow(window); }, ms);
}

std::string DescribeScreens(DWORD pid)
{
    std::string out;
    for (HWND window : VisibleWindows(pid)) {
        out += std::string(ScreenName(Classify(window))) + " \"" + WindowTextNoWait(window) + "\"";
        if (Classify(window) == Screen::MessageBox)
            out += " saying \"" + WindowTextNoWait(GetDlgItem(window, kMessageBoxText)) + "\"";
        out += "; ";
    }
    return out.empty() ? "no window" : out;
}

void Settle(HWND window)
{
    DWORD_PTR result;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    Sleep(300);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

// ---- Input -------------------------------------------------------------

bool BringToFront(HWND window)
{
    for (int i = 0; i < 100; ++i) {
        if (GetForegroundWindow() == window)
            return true;
        SetForegroundWindow(window);
        Sleep(20);
    }
    return GetForegroundWindow() == window;
}

bool WaitForeground(HWND window, int ms)
{
    return WaitUntil([&] { return GetForegroundWindow() == window; }, ms);
}

void ClickWindow(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    int x = (rect.left + rect.right) / 2;
    int y = (rect.top + rect.bottom) / 2;
    MouseTo(x, y, 0);
    Pace();
    MouseTo(x, y, MOUSEEVENTF_LEFTDOWN);
    Pace();
    MouseTo(x, y, MOUSEEVENTF_LEFTUP);
    Pace();
}

void PressKey(WORD vk)
{
    Key(vk, true);
    Key(vk, false);
    Pace();
}

void KeyChord(WORD modifier, WORD vk)
{
    Key(modifier, true);
    Key(vk, true);
    Key(vk, false);
    Key(modifier, false);
    Pace();
}

void TypeText(const std::string &text)
{
    for (char c : text) {
        SHORT scan = VkKeyScanA(c);
        if (scan == -1 || (HIBYTE(scan) & ~1)) {
            UnicodeChar((wchar_t)(unsigned char)c);
        } else {
            bool shift = HIBYTE(scan) & 1;
            if (shift)
                Key(VK_SHIFT, true);
            Key(LOBYTE(scan), true);
            Key(LOBYTE(scan), false);
            if (shift)
                Key(VK_SHIFT, false);
        }
        Pace();
    }
}

void ReplaceEditText(HWND edit, const std::string &text)
{
    ClickWindow(edit);
    WaitFocus(edit, 2000);
    PressKey(VK_END);
    KeyChord(VK_SHIFT, VK_HOME);
    PressKey(VK_DELETE);
    TypeText(text);
}

bool WaitText(HWND window, const std::string &expected, int ms)
{
    return WaitUntil([&] { return WindowTextTimed(window) == expected; }, ms);
}

bool TypeOver(HWND edit, const std::string &text, int ms)
{
    ReplaceEditText(edit, text);
    return WaitText(edit, text, ms);
}

// ---- Screenshots -------------------------------------------------------

void Shot(const std::string &name)
{
    std::string dir = ModuleDir() + "e2e\\";
    if (!Exists(dir + "host-shots"))
        return;
    std::string ack = dir + "ack-" + name;
    printf("SHOT %s\n", name.c_str());
    fflush(stdout);
    for (int i = 0; i < 1500 && !Exists(ack); ++i)
        Sleep(20);
    DeleteFileA(ack.c_str());
}

} // namespace e2e
