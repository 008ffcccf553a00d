// Program Manager's group windows under Wine. Wine's shell answers the DDE
// commands CreateGroup and ShowGroup by opening the group's folder with
// explorer.exe, a process of its own for each command, whatever show command
// was asked for; its window comes a moment later and takes the foreground.
// The processes exist once the commands are carried out (the conversation
// waits for each), so a test can wait for exactly these windows.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Every explorer.exe but the one that runs the desktop: waits up to `ms`
// until each has shown its window (or ended), then closes these windows and
// waits for the processes to end. `titles` gets the windows' captions; false
// if a process neither showed a window nor ended in time, or did not end
// within `ms` after its window was closed (it is then ended). `whileShown`
// runs while the windows show (a picture).
bool CloseGroupWindows(int ms, std::vector<std::string> *titles,
                       const std::function<void(const std::vector<HWND> &)> &whileShown = nullptr);
