// Korvu ark 7.2, the sample application that setup installs: one window
// that shows the Data and Config directories of the Korvu.ini beside it.
#include <windows.h>

#define IDC_DATA_VALUE 101
#define IDC_CONFIG_VALUE 102
#define IDC_INI_VALUE 103
#define IDC_CLOSE 104

static const char kClassName[] = "Korvu72Main";
static const char kTitle[] = "Korvu ark 7.2";
static const COLORREF kBand = RGB(0, 70, 127);
static const COLORREF kPaper = RGB(250, 250, 246);
static const COLORREF kGold = RGB(232, 178, 60);
static const int kBandHeight = 64;

struct AppState {
    HFONT titleFont;
    HFONT labelFont;
    HFONT valueFont;
    HBRUSH paper;
    HBRUSH band;
    char iniPath[MAX_PATH];
    char data[MAX_PATH];
    char config[MAX_PATH];
};
static AppState g_app;

// Korvu.ini beside the program: our directory plus the name.
static void FindIniFile(char *path, DWORD size)
{
    DWORD n = GetModuleFileNameA(NULL, path, size);
    if (n == 0 || n >= size) {
        path[0] = '\0';
        return;
    }
    char *slash = path + n;
    while (slash > path && slash[-1] != '\\')
        slash--;
    *slash = '\0';
    if ((DWORD)(slash - path) + sizeof "Korvu.ini" <= size)
        lstrcatA(path, "Korvu.ini");
    else
        path[0] = '\0';
}

static void ReadSettings(void)
{
    FindIniFile(g_app.iniPath, sizeof g_app.iniPath);
    const char *missing = "(not set - run Korvu ark 7.2 Setup)";
    GetPrivateProfileStringA("Korvu", "Data", missing, g_app.data, sizeof g_app.data,
                             g_app.iniPath);
    GetPrivateProfileStringA("Korvu", "Config", missing, g_app.config, sizeof g_app.config,
                             g_app.iniPath);
}

static HFONT MakeFont(HWND window, int points, int weight)
{
    HDC dc = GetDC(window);
    int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "Arial");
}

static void AddText(HWND parent, const char *text, int id, HFONT font, int x, int y, int w)
{
    HWND child = CreateWindowA("STATIC", text,
                               WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, x,
                               y, w, 20, parent, (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(child, WM_SETFONT, (WPARAM)font, FALSE);
}

static void main_OnCreate(HWND window)
{
    g_app.titleFont = MakeFont(window, 20, FW_BOLD);
    g_app.labelFont = MakeFont(window, 10, FW_BOLD);
    g_app.valueFont = MakeFont(window, 10, FW_NORMAL);
    ReadSettings();
    AddText(window, "Workstation settings", -1, g_app.labelFont, 24, kBandHeight + 20, 400);
    AddText(window, "Data directory:", -1, g_app.valueFont, 40, kBandHeight + 56, 130);
    AddText(window, g_app.data, IDC_DATA_VALUE, g_app.labelFont, 180, kBandHeight + 56, 330);
    AddText(window, "Config directory:", -1, g_app.valueFont, 40, kBandHeight + 84, 130);
    AddText(window, g_app.config, IDC_CONFIG_VALUE, g_app.labelFont, 180, kBandHeight + 84, 330);
    AddText(window, "Read from:", -1, g_app.valueFont, 40, kBandHeight + 112, 130);
    AddText(window, g_app.iniPath, IDC_INI_VALUE, g_app.valueFont, 180, kBandHeight + 112, 330);
    HWND close = CreateWindowA(
        "BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 560 - 24 - 90,
        kBandHeight + 134, 90, 26, window, (HMENU)(INT_PTR)IDC_CLOSE, GetModuleHandleA(NULL), NULL);
    SendMessageA(close, WM_SETFONT, (WPARAM)g_app.valueFont, FALSE);
}

static void main_OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    RECT band = client;
    band.bottom = kBandHeight;
    FillRect(dc, &band, g_app.band);
    // A gold rule under the band, as in the setup's pictures.
    RECT rule = band;
    rule.top = band.bottom;
    rule.bottom = band.bottom + 3;
    HBRUSH gold = CreateSolidBrush(kGold);
    FillRect(dc, &rule, gold);
    DeleteObject(gold);
    HGDIOBJ old = SelectObject(dc, g_app.titleFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text = band;
    text.left = 24;
    DrawTextA(dc, kTitle, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, g_app.valueFont);
    SetTextColor(dc, RGB(190, 215, 240));
    text.right -= 24;
    DrawTextA(dc, "Accounting for small companies", -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

static void main_OnDestroy(void)
{
    DeleteObject(g_app.titleFont);
    DeleteObject(g_app.labelFont);
    DeleteObject(g_app.valueFont);
    PostQuitMessage(0);
}

static LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: main_OnCreate(window); return 0;
    case WM_PAINT: main_OnPaint(window); return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CLOSE || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(window);
        return 0;
    case WM_CTLCOLORSTATIC: SetBkColor((HDC)wParam, kPaper); return (LRESULT)g_app.paper;
    case WM_DESTROY: main_OnDestroy(); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)commandLine;
    g_app.paper = CreateSolidBrush(kPaper);
    g_app.band = CreateSolidBrush(kBand);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hbrBackground = g_app.paper;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass))
        return 1;
    RECT frame = {0, 0, 560, kBandHeight + 178};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    HWND window = CreateWindowA(
        kClassName, kTitle, style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DeleteObject(g_app.paper);
    DeleteObject(g_app.band);
    return (int)message.wParam;
}

// The process entry point. The program calls no C library function, so the
// compiler's C start-up is left out: MinGW's brings P6 and 486 instructions
// (CMOVcc, LOCK CMPXCHG) and msvcrt.dll, which Windows 95 and NT 3.51 lack.
extern "C" void Korvu72Startup(void)
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), show));
}
