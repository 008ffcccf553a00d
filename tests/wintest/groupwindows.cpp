#include "groupwindows.h"

#include <tlhelp32.h>

#include "wintest.h"

namespace {

struct ShellProcess {
    DWORD pid;
    HANDLE handle;
};

std::vector<ShellProcess> OpenShellProcesses()
{
    DWORD desktop = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktop);
    std::vector<ShellProcess> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == desktop || lstrcmpiA(entry.szExeFile, "explorer.exe") != 0)
            continue;
        HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (handle)
            found.push_back({entry.th32ProcessID, handle});
    }
    CloseHandle(snapshot);
    return found;
}

bool Ended(HANDLE process)
{
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

} // namespace

bool CloseGroupWindows(int ms, std::vector<std::string> *titles,
                       const std::function<void(const std::vector<HWND> &)> &whileShown)
{
    std::vector<ShellProcess> processes = OpenShellProcesses();
    DWORD start = GetTickCount();
    bool ok = true;
    std::vector<HWND> windows;
    for (const ShellProcess &process : processes) {
        std::vector<HWND> shown;
        while ((shown = VisibleWindows(process.pid)).empty() && !Ended(process.handle) &&
               (int)(GetTickCount() - start) < ms)
            Sleep(20);
        if (shown.empty() && !Ended(process.handle))
            ok = false;
        windows.insert(windows.end(), shown.begin(), shown.end());
    }
    for (HWND window : windows) {
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        titles->push_back(text);
    }
    if (whileShown && !windows.empty())
        whileShown(windows);
    for (HWND window : windows)
        PostMessageA(window, WM_CLOSE, 0, 0);
    start = GetTickCount();
    for (const ShellProcess &process : processes) {
        int left = ms - (int)(GetTickCount() - start);
        if (WaitForSingleObject(process.handle, left > 0 ? left : 0) != WAIT_OBJECT_0) {
            ok = false;
            TerminateProcess(process.handle, 1);
        }
        CloseHandle(process.handle);
    }
    return ok;
}
