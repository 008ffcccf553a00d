// Times silent installations under Wine for bench/nsis-vs-setup.sh: each
// round runs every installer once, in turn (the order alternating from
// round to round), into a fresh directory, and waits for it to end. Prints
// one line per run and, per installer, the median and min..max.
//   install_timer ROUNDS NAME EXE DIR [NAME EXE DIR ...]
// EXE is started as `EXE /S /D=DIR` (both installers take that form).
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "wintest.h" // RemoveTree

// Seconds from CreateProcess to the installer's end; -1 when it failed.
static double RunOnce(const std::string &exe, const std::string &dir, DWORD *status)
{
    std::string line = "\"" + exe + "\" /S /D=" + dir;
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, text.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    GetExitCodeProcess(process.hProcess, status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

int main(int argc, char **argv)
{
    if (argc < 5 || (argc - 2) % 3 != 0) {
        fprintf(stderr, "usage: install_timer ROUNDS NAME EXE DIR [NAME EXE DIR ...]\n");
        return 2;
    }
    int rounds = atoi(argv[1]);
    int count = (argc - 2) / 3;
    std::vector<std::vector<double>> seconds(count);
    for (int r = 0; r < rounds; r++) {
        for (int k = 0; k < count; k++) {
            int i = (r % 2) ? count - 1 - k : k;
            const char *name = argv[2 + 3 * i];
            std::string exe = argv[3 + 3 * i], dir = argv[4 + 3 * i];
            RemoveTree(dir);
            DWORD status = 0;
            double s = RunOnce(exe, dir, &status);
            // The uninstaller registering itself may still run: let it end.
            Sleep(300);
            if (s < 0 || status != 0) {
                fprintf(stderr, "%s: failed (exit %lu)\n", name, (unsigned long)status);
                return 1;
            }
            seconds[i].push_back(s);
            printf("round %d %s %.3f\n", r + 1, name, s);
            fflush(stdout);
        }
    }
    for (int i = 0; i < count; i++) {
        std::vector<double> v = seconds[i];
        std::sort(v.begin(), v.end());
        printf("%s median %.3f min %.3f max %.3f\n", argv[2 + 3 * i], v[v.size() / 2], v.front(),
               v.back());
    }
    for (int i = 0; i < count; i++)
        RemoveTree(argv[4 + 3 * i]);
    return 0;
}
