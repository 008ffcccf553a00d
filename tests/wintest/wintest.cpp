#include "wintest.h"

std::string WindowText(HWND window)
{
    char text[1024];
    text[0] = '\0';
    SendMessageA(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

std::string WindowTextTimed(HWND window)
{
    if (!window)
        return "<no window>";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    std::vector<char> text(length + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), (LPARAM)text.data(), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return "<no answer>";
    return std::string(text.data(), copied);
}

std::string WindowTextNoWait(HWND window)
{
    WCHAR wide[1024] = L"";
    int length = InternalGetWindowText(window, wide, sizeof wide / sizeof wide[0]);
    char text[1024] = "";
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, length + 1, text, sizeof text, NULL, NULL);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string ClassName(HWND window)
{
    char name[256];
    name[0] = '\0';
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct ChildSearch {
    const char *className;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectChild(HWND child, LPARAM param)
{
    ChildSearch *search = (ChildSearch *)param;
    if (lstrcmpiA(ClassName(child).c_str(), search->className) == 0)
        search->found.push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char *className)
{
    ChildSearch search{className, {}};
    EnumChildWindows(parent, CollectChild, (LPARAM)&search);
    return search.found;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectVisible(HWND window, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid)
{
    WindowSearch search{pid, {}};
    EnumWindows(CollectVisible, (LPARAM)&search);
    return search.found;
}

bool IsVisibleDialog(HWND window)
{
    return IsWindowVisible(window) && ClassName(window) == "#32770";
}

static BOOL CALLBACK FindLongestStatic(HWND child, LPARAM param)
{
    std::string *best = (std::string *)param;
    if (lstrcmpiA(ClassName(child).c_str(), "Static") == 0) {
        std::string text = WindowTextNoWait(child);
        if (text.size() > best->size())
            *best = text;
    }
    return TRUE;
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    HWND control = GetDlgItem(box, 0xFFFF);
    if (control)
        text = WindowTextNoWait(control);
    if (text.empty())
        EnumChildWindows(box, FindLongestStatic, (LPARAM)&text);
    return text;
}

void PressButton(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(window, id));
}

struct DialogSearch {
    const char *caption;
    int childId;
    HWND found;
};

static BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    DialogSearch *search = (DialogSearch *)param;
    if (!IsWindowVisible(window) || WindowText(window) != search->caption)
        return TRUE;
    if (search->childId != 0 && !GetDlgItem(window, search->childId))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForDialog(DWORD thread, const char *caption, int childId, int ms)
{
    for (int waited = 0; waited <= ms; waited += 20) {
        DialogSearch search{caption, childId, NULL};
        EnumThreadWindows(thread, MatchDialog, (LPARAM)&search);
        if (search.found)
            return search.found;
        Sleep(20);
    }
    return NULL;
}

static BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    HWND *box = (HWND *)param;
    if (IsVisibleDialog(window) && GetDlgItem(window, 0xFFFF)) {
        *box = window;
        return FALSE;
    }
    return TRUE;
}

static DWORD WINAPI WatchBoxThread(void *param)
{
    BoxWatch *watch = (BoxWatch *)param;
    HWND box = NULL;
    for (int waited = 0; waited <= watch->timeoutMs && !box; waited += 20) {
        EnumThreadWindows(watch->thread, FindBox, (LPARAM)&box);
        if (!box)
            Sleep(20);
    }
    if (!box)
        return 0;
    watch->found = true;
    watch->caption = WindowText(box);
    watch->text = MessageBoxText(box);
    for (HWND button : ChildrenOfClass(box, "Button"))
        watch->buttons.push_back(WindowText(button));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

void StartBoxWatch(BoxWatch *watch)
{
    watch->handle = CreateThread(NULL, 0, WatchBoxThread, watch, 0, NULL);
}

void FinishBoxWatch(BoxWatch *watch)
{
    if (watch->handle) {
        WaitForSingleObject(watch->handle, INFINITE);
        CloseHandle(watch->handle);
        watch->handle = NULL;
    }
}

void PumpMessages(int ms)
{
    DWORD end = GetTickCount() + ms;
    do {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while ((int)(end - GetTickCount()) > 0);
}

static Pixels ReadDC(HDC source, int width, int height)
{
    Pixels out;
    out.width = width;
    out.height = height;
    out.rgb.assign((size_t)width * height, 0);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const unsigned int *p = (const unsigned int *)bits;
    for (size_t i = 0; i < out.rgb.size(); i++)
        out.rgb[i] = p[i] & 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(dib);
    return out;
}

Pixels CaptureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    Pixels out = ReadDC(dc, client.right, client.bottom);
    ReleaseDC(window, dc);
    return out;
}

Pixels BitmapPixels(HINSTANCE instance, int id)
{
    HBITMAP bitmap = (HBITMAP)LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                         LR_CREATEDIBSECTION);
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    Pixels out = ReadDC(memory, info.bmWidth, info.bmHeight);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    DeleteObject(bitmap);
    return out;
}

void RemoveTree(const std::string &path)
{
    std::string base = path;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    DWORD attributes = GetFileAttributesA(base.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(base.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(base.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemoveTree(base + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

bool StartShown(const std::string &exe, const std::string &commandLine, const std::string &dir,
                WORD show, PROCESS_INFORMATION *info)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    ZeroMemory(info, sizeof *info);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                          dir.empty() ? NULL : dir.c_str(), &startup, info) != 0;
}

bool WaitUntil(const std::function<bool()> &done, int ms)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if ((int)(GetTickCount() - start) > ms)
            return false;
        Sleep(20);
    }
    return true;
}

int RunAndWait(const std::string &command, const std::string &dir, DWORD ms)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, dir.c_str(), &startup,
                        &process))
        return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}
