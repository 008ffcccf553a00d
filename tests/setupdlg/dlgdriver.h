// Runs the real setup dialog (template 102, SetupDlgProc) and drives it as
// a user would: focus changes, keys, typing, clicks. A watcher thread
// answers the modal windows the dialog opens (message boxes, the folder
// browser) and records what they showed.
#pragma once
#include <windows.h>

#include "setup.h"
#include <functional>
#include <string>
#include <vector>

struct SeenWindow {
    bool browser;       // the folder browser; else a message box
    bool ownedByDialog; // owned by the setup dialog
    std::string caption;
    std::string text; // box: its message; browser: its static texts, '|'-joined
};

// What the watcher does with the next folder browser (default: cancel).
void QueueBrowserCancel();
void QueueBrowserChoice(const std::string &path);

// The result DialogBoxParamA gives when the scenario left the dialog open.
const INT_PTR kLeftOpen = 99;

// Runs the dialog modally with `options`; `scenario` runs on the dialog's
// thread once it shows. `dialogTemplate` replaces template 102 when given.
INT_PTR RunSetupDialog(SetupOptions *options, const std::function<void(HWND)> &scenario,
                       const DLGTEMPLATE *dialogTemplate = nullptr);

// A clean start for a dialog test: globals set, `root` emptied, nothing
// seen, and the record holding root\Korvu, root\Korvu\Data, root\Korvu.
void FreshDialogTest(SetupOptions *options, const std::string &root);

// Windows the watcher answered since the last call.
std::vector<SeenWindow> TakeSeen();
std::string MessagesOf(const std::vector<SeenWindow> &seen);

// Dispatches what is queued, through IsDialogMessageA like the modal loop.
void Pump(HWND dialog);
void FocusControl(HWND dialog, int id);
// Focus, select all, erase, then one WM_CHAR per character.
void TypeInto(HWND dialog, int id, const std::string &text);
// Key down and up at the focus, then Pump.
void PressKey(HWND dialog, UINT key);
// A mouse click through BM_CLICK (takes the focus first, as a click does).
void Click(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
int FocusId(HWND dialog);
