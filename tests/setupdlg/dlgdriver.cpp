#include "dlgdriver.h"
#include "resource.h"
#include "setupdlg.h"
#include "testfs.h"
#include "wintest.h"
#include <commctrl.h>
#include <deque>
#include <shlobj.h>

namespace {

struct BrowserAction {
    bool choose;
    std::string path;
};

struct DriverState {
    CRITICAL_SECTION lock;
    std::vector<SeenWindow> seen;
    std::deque<BrowserAction> actions;
    DWORD uiThread;
    HWND owner; // the test's window that owns the setup dialog
    HWND dialog;
    HANDLE stop;
    const std::function<void(HWND)> *scenario;
    bool started;
};

DriverState g_driver;
bool g_lockReady;

void EnsureLock()
{
    if (!g_lockReady) {
        InitializeCriticalSection(&g_driver.lock);
        g_lockReady = true;
    }
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
    return TRUE;
}

std::string StaticTexts(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, CollectWindow, (LPARAM)&children);
    std::string joined;
    for (HWND child : children) {
        if (lstrcmpiA(ClassName(child).c_str(), "Static") != 0)
            continue;
        std::string text = WindowText(child);
        if (text.empty())
            continue;
        if (!joined.empty())
            joined += "|";
        joined += text;
    }
    return joined;
}

// The text of the folder the browser's tree has selected.
static std::string SelectedFolderName(HWND browser)
{
    HWND tree = FindWindowExA(browser, NULL, WC_TREEVIEWA, NULL);
    if (!tree)
        return "";
    HTREEITEM item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!item)
        return "";
    char text[MAX_PATH] = "";
    TVITEMA info;
    ZeroMemory(&info, sizeof info);
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&info);
    return text;
}

// The browser picks its own first selection once its tree is filled, which
// may come after ours: select until the tree shows the folder, then go on.
static void SelectInBrowser(HWND browser, const std::string &path)
{
    std::string name = path.substr(path.find_last_of('\\') + 1);
    for (int tries = 0; tries < 100; tries++) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)path.c_str());
        Sleep(20);
        std::string selected = SelectedFolderName(browser);
        if (!name.empty() && lstrcmpiA(selected.c_str(), name.c_str()) == 0)
            return;
        if (name.empty() && selected.find(path.substr(0, 2)) != std::string::npos)
            return; // a drive root: its item shows the drive, as "(C:)"
    }
}

void Record(const SeenWindow &seen)
{
    EnterCriticalSection(&g_driver.lock);
    g_driver.seen.push_back(seen);
    LeaveCriticalSection(&g_driver.lock);
}

// Recorded before it is answered: the dialog's thread, blocked in the modal
// window until then, may read the record the moment the window closes.
void AnswerMessageBox(HWND box, SeenWindow &seen)
{
    seen.text = MessageBoxText(box);
    Record(seen);
    PressButton(box, IDOK);
}

void AnswerBrowser(HWND browser, SeenWindow &seen)
{
    seen.browser = true;
    seen.text = StaticTexts(browser);
    Record(seen);
    BrowserAction action = {false, ""};
    EnterCriticalSection(&g_driver.lock);
    if (!g_driver.actions.empty()) {
        action = g_driver.actions.front();
        g_driver.actions.pop_front();
    }
    LeaveCriticalSection(&g_driver.lock);
    if (action.choose) {
        SelectInBrowser(browser, action.path);
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

// A visible dialog-class window owned by a dialog: a box or the browser.
HWND FindModalChild()
{
    std::vector<HWND> windows;
    EnumThreadWindows(g_driver.uiThread, CollectWindow, (LPARAM)&windows);
    for (HWND window : windows) {
        HWND owner = GetWindow(window, GW_OWNER);
        if (owner && IsVisibleDialog(window) && ClassName(owner) == "#32770")
            return window;
    }
    return NULL;
}

DWORD WINAPI WatcherMain(void *)
{
    HWND answered = NULL;
    while (WaitForSingleObject(g_driver.stop, 20) == WAIT_TIMEOUT) {
        if (answered && IsWindow(answered))
            continue; // still closing
        answered = FindModalChild();
        if (!answered)
            continue;
        // Owned by the setup dialog, which our window owns (known even
        // before the dialog has finished opening).
        HWND owner = GetWindow(answered, GW_OWNER);
        SeenWindow seen = {false, GetWindow(owner, GW_OWNER) == g_driver.owner,
                           WindowText(answered), ""};
        if (seen.caption == SETUP_TITLE)
            AnswerMessageBox(answered, seen);
        else
            AnswerBrowser(answered, seen);
    }
    return 0;
}

// The owner runs the scenario from the dialog's first idle moment.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && g_driver.scenario &&
        !g_driver.started) {
        HWND dialog = (HWND)lParam;
        if (IsWindowVisible(dialog)) {
            g_driver.started = true;
            g_driver.dialog = dialog;
            (*g_driver.scenario)(dialog);
            if (IsWindowVisible(dialog))
                EndDialog(dialog, kLeftOpen);
            // The scenario's own pumping may have taken the message that
            // wakes the modal loop after EndDialog; its GetMessage follows.
            PostMessageA(dialog, WM_NULL, 0, 0);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateOwner()
{
    static bool registered;
    if (!registered) {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof windowClass);
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "SetupDlgTestOwner";
        registered = RegisterClassA(&windowClass) != 0;
    }
    return CreateWindowExA(0, "SetupDlgTestOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           NULL, NULL, GetModuleHandleA(NULL), NULL);
}

} // namespace

void QueueBrowserCancel()
{
    EnsureLock();
    EnterCriticalSection(&g_driver.lock);
    g_driver.actions.push_back({false, ""});
    LeaveCriticalSection(&g_driver.lock);
}

void QueueBrowserChoice(const std::string &path)
{
    EnsureLock();
    EnterCriticalSection(&g_driver.lock);
    g_driver.actions.push_back({true, path});
    LeaveCriticalSection(&g_driver.lock);
}

INT_PTR RunSetupDialog(SetupOptions *options, const std::function<void(HWND)> &scenario,
                       const DLGTEMPLATE *dialogTemplate)
{
    EnsureLock();
    HWND owner = CreateOwner();
    g_driver.owner = owner;
    g_driver.uiThread = GetCurrentThreadId();
    g_driver.dialog = NULL;
    g_driver.scenario = &scenario;
    g_driver.started = false;
    g_driver.stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE watcher = CreateThread(NULL, 0, WatcherMain, NULL, 0, NULL);

    INT_PTR result = dialogTemplate ? DialogBoxIndirectParamA(g_hInstance, dialogTemplate, owner,
                                                              SetupDlgProc, (LPARAM)options)
                                    : DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP),
                                                      owner, SetupDlgProc, (LPARAM)options);

    SetEvent(g_driver.stop);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(g_driver.stop);
    g_driver.scenario = nullptr;
    DestroyWindow(owner);
    EnterCriticalSection(&g_driver.lock);
    g_driver.actions.clear();
    LeaveCriticalSection(&g_driver.lock);
    return result;
}

std::vector<SeenWindow> TakeSeen()
{
    EnsureLock();
    EnterCriticalSection(&g_driver.lock);
    std::vector<SeenWindow> seen;
    seen.swap(g_driver.seen);
    LeaveCriticalSection(&g_driver.lock);
    return seen;
}

std::string MessagesOf(const std::vector<SeenWindow> &seen)
{
    std::string all;
    for (const SeenWindow &window : seen)
        all += (window.browser ? "[browser] " : "[box] ") + window.text + "\n";
    return all;
}

void Pump(HWND dialog)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void FocusControl(HWND dialog, int id)
{
    SetFocus(GetDlgItem(dialog, id));
    Pump(dialog);
}

void TypeInto(HWND dialog, int id, const std::string &text)
{
    HWND box = GetDlgItem(dialog, id);
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, WM_CHAR, VK_BACK, 1);
    for (char c : text)
        SendMessageA(box, WM_CHAR, (WPARAM)(unsigned char)c, 1);
    Pump(dialog);
}

void PressKey(HWND dialog, UINT key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    Pump(dialog);
}

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    Pump(dialog);
}

std::string ControlText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

int FocusId(HWND dialog)
{
    HWND focus = GetFocus();
    return focus && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

void FreshDialogTest(SetupOptions *options, const std::string &root)
{
    InitSetupGlobals();
    FreshDir(root);
    TakeSeen();
    ZeroMemory(options, sizeof *options);
    lstrcpyA(options->app_path, (root + "\\Korvu").c_str());
    lstrcpyA(options->data_path, (root + "\\Korvu\\Data").c_str());
    lstrcpyA(options->config_path, (root + "\\Korvu").c_str());
}
