// setup.exe started as a program, beside this test in C:\run, on the
// Windows version the test chooses for it.
#include "resource.h"
#include "wintest.h"
#include <gtest/gtest.h>

namespace {

void SetReportedVersion(const char *version)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", 0, NULL,
                              0, KEY_SET_VALUE, NULL, &key, NULL));
    RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, lstrlenA(version) + 1);
    RegCloseKey(key);
}

std::string SetupPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "setup.exe";
}

PROCESS_INFORMATION StartSetup(WORD showCommand)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    std::string path = SetupPath();
    EXPECT_TRUE(
        CreateProcessA(path.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        << path << " error " << GetLastError();
    return process;
}

struct Seen {
    DWORD pid;
    HWND background = NULL;
    HWND setup = NULL;
    HWND finish = NULL;
};

BOOL CALLBACK Look(HWND window, LPARAM param)
{
    Seen *seen = (Seen *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != seen->pid || !IsWindowVisible(window))
        return TRUE;
    if (ClassName(window) == "KorvuInstall")
        seen->background = window;
    else if (GetDlgItem(window, IDC_BTN_EXIT))
        seen->setup = window;
    else if (GetDlgItem(window, IDC_FDLG_BTN_OK))
        seen->finish = window;
    return TRUE;
}

// Polls the program's windows until `done` says so or the time is up.
template <typename Done>
Seen Watch(DWORD pid, int ms, Done done)
{
    Seen seen;
    seen.pid = pid;
    for (int waited = 0; waited < ms; waited += 50) {
        Seen now;
        now.pid = pid;
        EnumWindows(Look, (LPARAM)&now);
        if (now.background)
            seen.background = now.background;
        if (now.setup)
            seen.setup = now.setup;
        if (now.finish)
            seen.finish = now.finish;
        if (done(seen))
            break;
        Sleep(50);
    }
    return seen;
}

DWORD Finish(PROCESS_INFORMATION *process, int ms)
{
    DWORD code = 12345;
    if (WaitForSingleObject(process->hProcess, ms) != WAIT_OBJECT_0)
        TerminateProcess(process->hProcess, 99);
    GetExitCodeProcess(process->hProcess, &code);
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    return code;
}

TEST(Startup, OnWin32sShowsNothingAndExitsZero)
{
    SetReportedVersion("win31");
    PROCESS_INFORMATION process = StartSetup(SW_SHOWNORMAL);
    Seen seen = Watch(process.dwProcessId, 3000, [&](const Seen &) {
        return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    });
    EXPECT_EQ(0u, Finish(&process, 10000));
    EXPECT_TRUE(seen.background == NULL);
    EXPECT_TRUE(seen.setup == NULL);
    SetReportedVersion("winxp");
}

TEST(Startup, BackgroundIsMaximisedWhateverTheShowCommand_ExitSetupEndsQuietly)
{
    SetReportedVersion("winxp");
    PROCESS_INFORMATION process = StartSetup(SW_SHOWMINNOACTIVE);
    Seen seen = Watch(process.dwProcessId, 15000, [](const Seen &s) { return s.setup != NULL; });
    ASSERT_TRUE(seen.background != NULL);
    ASSERT_TRUE(seen.setup != NULL);
    EXPECT_TRUE(IsZoomed(seen.background));
    EXPECT_FALSE(IsIconic(seen.background));
    RECT rect;
    GetWindowRect(seen.background, &rect);
    EXPECT_LE(rect.left, 0);
    EXPECT_GE(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ("New Installation", WindowText(GetDlgItem(seen.setup, IDC_LBL_STATE)));

    HWND exitButton = GetDlgItem(seen.setup, IDC_BTN_EXIT);
    PostMessageA(seen.setup, WM_COMMAND, MAKEWPARAM(IDC_BTN_EXIT, BN_CLICKED), (LPARAM)exitButton);
    Seen after = Watch(process.dwProcessId, 10000, [&](const Seen &) {
        return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    });
    EXPECT_EQ(0u, Finish(&process, 10000));
    EXPECT_TRUE(after.finish == NULL) << "a finish dialog appeared after Exit Setup";
}

} // namespace
