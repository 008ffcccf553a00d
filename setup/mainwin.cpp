// The background window: teal, the shadowed title, the setup picture
// centred. Its destruction ends the program.
#include "resource.h"
#include "setup.h"
#include "setupdlg.h"

static const char kClassName[] = "KorvuInstall";

// A palette from an 8-bit bitmap's own colour table. Entries the table does
// not define stay black rather than undefined.
static HPALETTE CreateColorTablePalette(HBITMAP bitmap)
{
    RGBQUAD colors[256];
    ZeroMemory(colors, sizeof colors);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    if (!memory)
        return NULL;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    GetDIBColorTable(memory, 0, 256, colors);
    SelectObject(memory, previous);
    DeleteDC(memory);

    // LOGPALETTE with room for 256 entries.
    union {
        LOGPALETTE palette;
        BYTE bytes[sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY)];
    } room;
    LOGPALETTE *logical = &room.palette;
    logical->palVersion = 0x300;
    logical->palNumEntries = 256;
    for (int i = 0; i < 256; i++) {
        logical->palPalEntry[i].peRed = colors[i].rgbRed;
        logical->palPalEntry[i].peGreen = colors[i].rgbGreen;
        logical->palPalEntry[i].peBlue = colors[i].rgbBlue;
        logical->palPalEntry[i].peFlags = 0;
    }
    return CreatePalette(logical);
}

void LoadBitmapAndPalette(UINT id, HBITMAP *bitmap, HPALETTE *palette)
{
    *bitmap = NULL;
    *palette = NULL;
    *bitmap = (HBITMAP)LoadImageA(g_hInstance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION | LR_DEFAULTSIZE);
    if (!*bitmap)
        return;
    BITMAP info;
    if (!GetObjectA(*bitmap, sizeof info, &info))
        return;
    if (info.bmPlanes * info.bmBitsPixel > 8) {
        HDC screen = GetDC(NULL);
        *palette = CreateHalftonePalette(screen);
        ReleaseDC(NULL, screen);
    } else {
        *palette = CreateColorTablePalette(*bitmap);
    }
}

// The title in black 4 pixels down and right, then in white over it.
static void PaintTitle(HWND window, HDC dc)
{
    static const char title[] = SETUP_TITLE;
    const int length = sizeof title - 1;
    HFONT font = CreatePointFont(window, 24, "Tahoma", TRUE, FALSE, 700, 15);
    if (!font)
        return;
    HGDIOBJ previous = SelectObject(dc, font);
    if (previous && previous != HGDI_ERROR) {
        if (SetBkMode(dc, TRANSPARENT) && SetTextColor(dc, RGB(0, 0, 0)) != CLR_INVALID) {
            TextOutA(dc, 8, 8, title, length);
            if (SetTextColor(dc, RGB(255, 255, 255)) != CLR_INVALID)
                TextOutA(dc, 4, 4, title, length);
        }
        SelectObject(dc, previous);
    }
    DeleteObject(font);
}

static void PaintPicture(HWND window, HDC dc)
{
    HBITMAP bitmap;
    HPALETTE palette;
    LoadBitmapAndPalette(IDB_BACKGROUND, &bitmap, &palette);
    if (!bitmap) {
        if (palette)
            DeleteObject(palette);
        return;
    }
    HPALETTE oldPalette = NULL;
    if (palette) {
        oldPalette = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    BITMAP info;
    RECT client;
    HDC memory = CreateCompatibleDC(dc);
    if (memory && GetObjectA(bitmap, sizeof info, &info) && GetClientRect(window, &client)) {
        // Centred; the origin goes negative when the client area is smaller,
        // so the picture is cut equally on both sides.
        int x = (client.right - client.left - info.bmWidth) / 2;
        int y = (client.bottom - client.top - info.bmHeight) / 2;
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory)
        DeleteDC(memory);
    DeleteObject(bitmap);
    if (palette) {
        SelectPalette(dc, oldPalette, FALSE);
        DeleteObject(palette);
    }
}

static void mainwin_OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) {
        ReportFailure(window, "Internal Error 33", "mainwin_OnPaint", "BeginPaint",
                      (int)GetLastError());
        DestroyWindow(window);
        return;
    }
    PaintTitle(window, dc);
    PaintPicture(window, dc);
    EndPaint(window, &paint);
}

static void mainwin_OnDestroy(HWND window)
{
    (void)window;
    PostQuitMessage(0);
}

static void mainwin_OnCommand(HWND window, int id, HWND control, UINT code)
{
    DefWindowProcA(window, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)control);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: mainwin_OnDestroy(window); return 0;
    case WM_PAINT: mainwin_OnPaint(window); return 0;
    case WM_COMMAND:
        mainwin_OnCommand(window, LOWORD(wParam), (HWND)lParam, HIWORD(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL RegisterMainWindowClass(HINSTANCE instance)
{
    LOGBRUSH teal = {BS_SOLID, RGB(0, 128, 128), 0};
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = CreateBrushIndirect(&teal); // lives as long as the class
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance)
{
    return CreateWindowExA(0, kClassName, SETUP_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 640, 540, NULL, NULL, instance, NULL);
}
