// The setup shell's own windows and routines, created for real under Wine.
#include "resource.h"
#include "setup.h"
#include "setupdlg.h"
#include "wintest.h"
#include <gtest/gtest.h>
#include <stdio.h>

namespace {

void InitGlobals()
{
    g_hInstance = GetModuleHandleA(NULL);
    g_osvi.dwOSVersionInfoSize = sizeof g_osvi;
    GetVersionExA(&g_osvi);
    lstrcpyA(g_szIniFile, "Korvu.ini");
}

// --- ReportFailure ---------------------------------------------------------

BoxWatch Report(const char *message, const char *function, const char *call, int status,
                int *result)
{
    BoxWatch watch;
    watch.thread = GetCurrentThreadId();
    StartBoxWatch(&watch);
    *result = ReportFailure(NULL, message, function, call, status);
    FinishBoxWatch(&watch);
    return watch;
}

TEST(ReportFailure, ShowsMessageAndStatusInOneOkBox)
{
    int result = 0;
    BoxWatch box = Report("Internal Error 4", "UncompressMcfFile", "FindResource", 0, &result);
    ASSERT_TRUE(box.found);
    EXPECT_EQ("Korvu ark 7.2 Setup", box.caption);
    EXPECT_EQ("Internal Error 4\n\n(Status:0)", box.text);
    ASSERT_EQ(1u, box.buttons.size());
    EXPECT_EQ("OK", box.buttons[0]);
    EXPECT_EQ(IDOK, result);
}

TEST(ReportFailure, StatusIsSignedDecimal)
{
    int result = 0;
    BoxWatch minus = Report("Internal Error 33", "mainwin_OnPaint", "BeginPaint", -1, &result);
    EXPECT_EQ("Internal Error 33\n\n(Status:-1)", minus.text);
    BoxWatch lowest = Report("x", "f", "c", (int)0x80000000, &result);
    EXPECT_EQ("x\n\n(Status:-2147483648)", lowest.text);
    BoxWatch code =
        Report("Unable to create data directory", "setupdlg_OnCommand", "DoMakeDir", 183, &result);
    EXPECT_EQ("Unable to create data directory\n\n(Status:183)", code.text);
}

TEST(ReportFailure, KeepsLineBreaksAndHidesFunctionAndCallNames)
{
    int result = 0;
    const char *message = "Error - Unable to write data directory path\nand config directory path\n"
                          "in Korvu.INI file. ";
    BoxWatch box = Report(message, "SecretFunction", "SecretCall(hwnd, IDC_X)", 5, &result);
    EXPECT_EQ(std::string(message) + "\n\n(Status:5)", box.text);
    EXPECT_EQ(std::string::npos, box.text.find("Secret"));
}

TEST(ReportFailure, OverlongMessageStillEndsWithItsStatus)
{
    std::string message(400, 'm');
    int result = 0;
    BoxWatch box = Report(message.c_str(), "f", "c", 7, &result);
    ASSERT_TRUE(box.found);
    EXPECT_LT(box.text.size(), 256u);
    EXPECT_EQ("\n\n(Status:7)", box.text.substr(box.text.size() - 12));
}

// --- Defaults and previous settings -----------------------------------------

class Defaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobals();
        DeleteFileA("C:\\Korvu\\Korvu.ini");
        RemoveDirectoryA("C:\\Korvu");
    }
    void TearDown() override { SetUp(); }

    static void WriteIni(const char *text)
    {
        CreateDirectoryA("C:\\Korvu", NULL);
        FILE *f = fopen("C:\\Korvu\\Korvu.ini", "w");
        ASSERT_TRUE(f != NULL);
        fputs(text, f);
        fclose(f);
    }
    static SetupOptions Fill()
    {
        SetupOptions options;
        ZeroMemory(&options, sizeof options);
        FillDefaultOptions(&options);
        return options;
    }
};

TEST_F(Defaults, NoIniGivesTheSystemDrivesKorvuFolders)
{
    SetupOptions o = Fill();
    EXPECT_STREQ("C:\\Korvu", o.app_path);
    EXPECT_STREQ("C:\\Korvu\\Data", o.data_path);
    EXPECT_STREQ("C:\\Korvu", o.config_path);
    EXPECT_EQ(0, o.upgrade);
    EXPECT_EQ(0, o.config_found);
    EXPECT_EQ(0, o.data_path_edited);
    EXPECT_EQ(0, o.config_path_edited);
}

TEST_F(Defaults, DataOnlyIsAnUpgradeWithDefaultConfig)
{
    WriteIni("[Korvu]\nData = D:\\Books\\Data\n");
    SetupOptions o = Fill();
    EXPECT_STREQ("D:\\Books\\Data", o.data_path); // taken although D:\Books does not exist
    EXPECT_EQ(1, o.upgrade);
    EXPECT_STREQ("C:\\Korvu", o.config_path);
    EXPECT_EQ(0, o.config_found);
}

TEST_F(Defaults, DataAndConfigAreBothTaken)
{
    WriteIni(
        ";; comment\n[Other]\nData = wrong\n[Korvu]\nData = E:\\Ledgers\nConfig =  E:\\Cfg  \n");
    SetupOptions o = Fill();
    EXPECT_STREQ("E:\\Ledgers", o.data_path);
    EXPECT_STREQ("E:\\Cfg", o.config_path);
    EXPECT_EQ(1, o.upgrade);
    EXPECT_EQ(1, o.config_found);
}

TEST_F(Defaults, BlankDataCountsAsAbsent)
{
    WriteIni("[Korvu]\nData =    \nConfig =\n");
    SetupOptions o = Fill();
    EXPECT_STREQ("C:\\Korvu\\Data", o.data_path);
    EXPECT_EQ(0, o.upgrade);
    EXPECT_STREQ("C:\\Korvu", o.config_path);
    EXPECT_EQ(0, o.config_found);
}

TEST_F(Defaults, LookupAddsNoSecondBackslash)
{
    WriteIni("[Korvu]\nData = X:\\D\n");
    char value[MAX_PATH] = "untouched";
    EXPECT_EQ(1, LookupPreviousSetting("C:\\Korvu\\", "Korvu", "Data", value));
    EXPECT_STREQ("X:\\D", value);
    EXPECT_EQ(1, LookupPreviousSetting("C:\\Korvu", "Korvu", "Data", value));
    lstrcpyA(value, "untouched");
    EXPECT_EQ(0, LookupPreviousSetting("C:\\Korvu", "Korvu", "Config", value));
    EXPECT_STREQ("", value); // key missing: the empty default
}

TEST_F(Defaults, LookupWithoutFileOrRoomLeavesTheBufferAlone)
{
    char value[MAX_PATH] = "untouched";
    EXPECT_EQ(0, LookupPreviousSetting("C:\\Korvu", "Korvu", "Data", value));
    EXPECT_STREQ("untouched", value);
    EXPECT_EQ(0, LookupPreviousSetting("", "Korvu", "Data", value));
    std::string deep = "C:\\" + std::string(254, 'a'); // no room for \Korvu.ini
    EXPECT_EQ(0, LookupPreviousSetting(deep.c_str(), "Korvu", "Data", value));
    EXPECT_STREQ("untouched", value);
}

// --- Background window ------------------------------------------------------

class Background : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        InitGlobals();
        RegisterMainWindowClass(g_hInstance);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        }
    }
    HWND window = NULL;
};

const unsigned int kTeal = 0x008080;

// Every sampled pixel of the picture's rectangle that lies in the client
// area shows the picture, placed at its centred origin.
void ExpectPictureCentred(const Pixels &client, const Pixels &picture)
{
    int x0 = (client.width - picture.width) / 2;
    int y0 = (client.height - picture.height) / 2;
    int checked = 0, wrong = 0;
    for (int v = 0; v < picture.height; v += 7) {
        for (int u = 0; u < picture.width; u += 7) {
            int x = x0 + u, y = y0 + v;
            if (x < 0 || y < 0 || x >= client.width || y >= client.height)
                continue;
            checked++;
            if (client.at(x, y) != picture.at(u, v))
                wrong++;
        }
    }
    EXPECT_GT(checked, 100);
    EXPECT_EQ(0, wrong) << "of " << checked << " pixels, origin " << x0 << "," << y0;
}

TEST_F(Background, ClassAndWindowAreAsRegistered)
{
    window = CreateMainWindow(g_hInstance);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ("KorvuInstall", ClassName(window));
    EXPECT_EQ(0x000Bu, (unsigned)GetClassLongA(window, GCL_STYLE));
    EXPECT_EQ((LONG)WS_OVERLAPPEDWINDOW, GetWindowLongA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);
    EXPECT_EQ("Korvu ark 7.2 Setup", WindowText(window));
    EXPECT_TRUE(GetClassLongPtrA(window, GCLP_HICON) != 0);
    EXPECT_EQ(0, SendMessageA(window, WM_COMMAND, MAKEWPARAM(1016, BN_CLICKED), 0));
}

TEST_F(Background, PaintsTealTitleAndCentredPicture)
{
    window = CreateMainWindow(g_hInstance);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    UpdateWindow(window);
    PumpMessages(300);
    Pixels client = CaptureClient(window);
    ASSERT_GT(client.width, 490);
    ASSERT_GT(client.height, 450);

    EXPECT_EQ(kTeal, client.at(client.width - 3, client.height - 3));
    EXPECT_EQ(kTeal, client.at(2, client.height / 2));

    // The title: white letters from (4,4), black shadow 4 pixels lower right.
    // Letter edges may be smoothed, so count rather than demand every pixel.
    int white = 0, black = 0, shadowed = 0;
    for (int y = 0; y < 60; y++)
        for (int x = 0; x < 400 && x < client.width - 4; x++) {
            if (client.at(x, y) == 0x000000)
                black++;
            if (client.at(x, y) == 0xFFFFFF) {
                white++;
                unsigned int below = client.at(x + 4, y + 4);
                if (below == 0x000000 || below == 0xFFFFFF)
                    shadowed++;
            }
        }
    EXPECT_GT(white, 300);
    EXPECT_GT(black, 100);
    EXPECT_GT(shadowed, white * 8 / 10);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 100; x++)
            ASSERT_EQ(kTeal, client.at(x, y)) << x << "," << y; // nothing above (4,4)

    ExpectPictureCentred(client, BitmapPixels(g_hInstance, IDB_BACKGROUND));
}

TEST_F(Background, SmallClientCutsThePictureEquallyAndRecentresOnResize)
{
    window = CreateMainWindow(g_hInstance);
    ShowWindow(window, SW_SHOWNORMAL);
    RECT want = {0, 0, 400, 300};
    AdjustWindowRect(&want, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window, NULL, 10, 10, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER);
    UpdateWindow(window);
    PumpMessages(300);
    Pixels picture = BitmapPixels(g_hInstance, IDB_BACKGROUND);
    Pixels small = CaptureClient(window);
    ASSERT_EQ(400, small.width);
    ASSERT_EQ(300, small.height);
    ExpectPictureCentred(small, picture); // origin (-45, -75)

    SetWindowPos(window, NULL, 0, 0, 700, 600, SWP_NOZORDER | SWP_NOMOVE);
    UpdateWindow(window);
    PumpMessages(300);
    ExpectPictureCentred(CaptureClient(window), picture);
}

TEST_F(Background, DestructionPostsQuitWithCodeZero)
{
    window = CreateMainWindow(g_hInstance);
    DestroyWindow(window);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

TEST(PointFont, HeightFollowsTheDisplaysPixelsPerInch)
{
    HFONT font = CreatePointFont(NULL, 24, "Tahoma", TRUE, FALSE, 700, 15);
    ASSERT_TRUE(font != NULL);
    LOGFONTA info;
    GetObjectA(font, sizeof info, &info);
    HDC dc = GetDC(NULL);
    EXPECT_EQ(-MulDiv(24, GetDeviceCaps(dc, LOGPIXELSY), 72), info.lfHeight);
    ReleaseDC(NULL, dc);
    EXPECT_EQ(15, info.lfWidth);
    EXPECT_EQ(700, info.lfWeight);
    EXPECT_TRUE(info.lfItalic);
    EXPECT_FALSE(info.lfUnderline);
    EXPECT_EQ(30, info.lfOrientation);
    EXPECT_STREQ("Tahoma", info.lfFaceName);
    DeleteObject(font);
}

// --- Finish dialog -----------------------------------------------------------

struct FinishDriver {
    DWORD thread;
    std::string message;
    LOGFONTA font;
    bool openAfterEscape = false;
    bool openAfterOtherCommands = false;
    bool useEnter = true;
};

// Posted after the keys and commands: once the dialog's thread takes it from
// its queue, everything posted before it has been handled.
const WPARAM kSentinel = 0x4B37;
HANDLE g_sentinelTaken;

LRESULT CALLBACK WatchSentinel(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *message = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_NULL &&
        message->wParam == kSentinel)
        SetEvent(g_sentinelTaken);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// Whether the dialog is still open once its thread has handled what was
// posted to it before (an ended dialog takes no more messages).
bool OpenAfterQueued(HWND dialog)
{
    ResetEvent(g_sentinelTaken);
    if (!PostMessageA(dialog, WM_NULL, kSentinel, 0) ||
        WaitForSingleObject(g_sentinelTaken, 5000) != WAIT_OBJECT_0)
        return false;
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

static DWORD WINAPI DriveFinish(void *param)
{
    FinishDriver *d = (FinishDriver *)param;
    HWND dialog = WaitForDialog(d->thread, "Korvu ark 7.2 Setup", IDC_FDLG_BTN_OK, 5000);
    if (!dialog)
        return 0;
    HWND label = GetDlgItem(dialog, IDC_FDLG_LBL_MESSAGE);
    d->message = WindowText(label);
    HFONT font = (HFONT)SendMessageA(label, WM_GETFONT, 0, 0);
    GetObjectA(font, sizeof d->font, &d->font);

    GUITHREADINFO gui;
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(d->thread, &gui);
    HWND focus = gui.hwndFocus ? gui.hwndFocus : dialog;
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    d->openAfterEscape = OpenAfterQueued(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FDLG_LBL_MESSAGE, 0), 0);
    d->openAfterOtherCommands = OpenAfterQueued(dialog);
    if (d->useEnter) {
        PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
    } else {
        PostMessageA(GetDlgItem(dialog, IDC_FDLG_BTN_OK), BM_CLICK, 0, 0);
    }
    return 0;
}

INT_PTR RunFinish(FinishDriver *driver)
{
    driver->thread = GetCurrentThreadId();
    g_sentinelTaken = CreateEventA(NULL, TRUE, FALSE, NULL);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, WatchSentinel, NULL, driver->thread);
    HANDLE thread = CreateThread(NULL, 0, DriveFinish, driver, 0, NULL);
    INT_PTR result = ShowFinishDialog(g_hInstance, NULL);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    UnhookWindowsHookEx(hook);
    CloseHandle(g_sentinelTaken);
    return result;
}

TEST(FinishDialog, IgnoresEscapeAndClosesWithOneOnEnter)
{
    InitGlobals();
    FinishDriver driver;
    EXPECT_EQ(1, RunFinish(&driver));
    EXPECT_TRUE(driver.openAfterEscape);
    EXPECT_TRUE(driver.openAfterOtherCommands);
    EXPECT_EQ("Korvu Installation Successful\n", driver.message);
    EXPECT_EQ(700, driver.font.lfWeight);
    EXPECT_STREQ("Arial", driver.font.lfFaceName);
}

TEST(FinishDialog, OkButtonClosesWithOne)
{
    InitGlobals();
    FinishDriver driver;
    driver.useEnter = false;
    EXPECT_EQ(1, RunFinish(&driver));
}

} // namespace
