// Desktop helpers on the real platform (Wine): centring, formatted texts and boxes, the folder
// picker, the frame counter, files and bitmaps, pictures.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <olectl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "ktora/window/ktora_desktop.h"
#include "tests/support/temp_dir.h"

using ktora::C_WString;

namespace {

using testsupport::TempDir;

std::vector<unsigned char> ReadAll(std::wstring const& path) {
    std::vector<unsigned char> bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) {
        return bytes;
    }
    int c;
    while ((c = fgetc(f)) != EOF) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    fclose(f);
    return bytes;
}

unsigned U32(std::vector<unsigned char> const& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<unsigned>(b[at + 3]) << 24);
}

struct FindData {
    DWORD pid;
    wchar_t const* caption;
    wchar_t const* childText;
    HWND found;
};

BOOL CALLBACK HasChildText(HWND child, LPARAM lParam) {
    FindData* d = reinterpret_cast<FindData*>(lParam);
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (wcscmp(text, d->childText) == 0) {
        d->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
    FindData* d = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != d->pid || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (d->caption != nullptr && wcscmp(title, d->caption) != 0) {
        return TRUE;
    }
    if (d->childText != nullptr) {
        FindData inner = *d;
        inner.found = nullptr;
        EnumChildWindows(hwnd, HasChildText, reinterpret_cast<LPARAM>(&inner));
        if (inner.found == nullptr) {
            return TRUE;
        }
    }
    d->found = hwnd;
    return FALSE;
}

// Waits (bounded) for a visible top-level window of this process.
HWND WaitForWindow(wchar_t const* caption, wchar_t const* childText, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        FindData d = {GetCurrentProcessId(), caption, childText, nullptr};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&d));
        if (d.found != nullptr) {
            return d.found;
        }
        Sleep(20);
    }
    return nullptr;
}

} // namespace

TEST(Desktop, GetWindowCenterHalvesEachSideSeparately) {
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    SIZE p = ktora::GetWindowCenter(3, 5);
    EXPECT_EQ((sw >> 1) - 1, p.cx); // not (sw - 3) / 2
    EXPECT_EQ((sh >> 1) - 2, p.cy);
    SIZE big = ktora::GetWindowCenter(sw * 2, sh * 2 + 1);
    EXPECT_EQ((sw >> 1) - sw, big.cx);
    EXPECT_LT(big.cy, 0);
}

TEST(Desktop, MakeStrCutsAt519AndTerminates) {
    std::wstring longText(600, L'x');
    wchar_t* text = ktora::MakeStr(L"%ls", longText.c_str());
    EXPECT_EQ(519u, wcslen(text));
    wchar_t* again = ktora::MakeStr(L"%d-%ls", 42, L"\u30b3\u30d4\u30fc");
    EXPECT_EQ(text, again); // one shared buffer, overwritten
    EXPECT_STREQ(L"42-\u30b3\u30d4\u30fc", again);
    std::wstring exact(519, L'y');
    EXPECT_EQ(519u, wcslen(ktora::MakeStr(L"%ls", exact.c_str())));
}

TEST(Desktop, MsgBoxShowsTheFirst519CharactersUnderItsCaption) {
    std::wstring longText = std::wstring(518, L'a') + L"bc" + std::wstring(80, L'd');
    std::thread shower([&] { ktora::MsgBox(L"%ls", longText.c_str()); });
    HWND box = WaitForWindow(L"\u304a\u77e5\u3089\u305b", nullptr); // お知らせ
    ASSERT_NE(nullptr, box);
    wchar_t shown[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, shown, 1024);
    EXPECT_EQ(std::wstring(518, L'a') + L"b", std::wstring(shown));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    shower.join();
}

TEST(Desktop, BrowsFolderCancelledReturnsZeroAndKeepsThePath) {
    C_WString path(L"C:\\keep");
    int result = -1;
    std::thread browser([&] {
        CoInitialize(nullptr);
        result = ktora::BrowsFolder(&path, nullptr);
        CoUninitialize();
    });
    // The default prompt appears inside the picker.
    HWND picker = WaitForWindow(nullptr, L"\u53c2\u7167\u5143\u30d5\u30a9\u30eb\u30c0\u3092"
                                         L"\u9078\u3093\u3067\u304f\u3060\u3055\u3044\u3002");
    ASSERT_NE(nullptr, picker);
    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    browser.join();
    EXPECT_EQ(0, result);
    EXPECT_STREQ(L"C:\\keep", path.GetString());
}

TEST(Desktop, FrameRatePublishesOncePerSecond) {
    EXPECT_EQ(1u, ktora::GetFrameRate());
    DWORD start = timeGetTime();
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(1u, ktora::GetFrameRate());
    }
    ASSERT_LT(timeGetTime() - start, 900u) << "the machine is too slow for this check";
    Sleep(1100); // let the period end
    EXPECT_EQ(61u, ktora::GetFrameRate());
    EXPECT_EQ(61u, ktora::GetFrameRate());
}

TEST(Desktop, ScreenDepthAndFileExistence) {
    int bpp = ktora::GetScreenBpp();
    EXPECT_TRUE(bpp == 16 || bpp == 24 || bpp == 32) << bpp;

    TempDir dir;
    std::wstring file = dir / L"\u30d5\u30a1\u30a4\u30eb.txt";
    FILE* f = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(nullptr, f);
    fclose(f);
    EXPECT_EQ(1, ktora::IsExistFile(C_WString(file.c_str())));
    EXPECT_EQ(1, ktora::IsExistFile(C_WString(dir.Path().c_str())));
    EXPECT_EQ(0, ktora::IsExistFile(C_WString((dir / L"missing").c_str())));
}

TEST(Desktop, CDTrayWithoutADriveReportsFailure) {
    // No CD device exists on the test machine: both commands must fail cleanly.
    EXPECT_EQ(0, ktora::OpenCDTray(L"Q:"));
    EXPECT_EQ(0, ktora::CloseCDTray(L"Q:"));
}

TEST(Desktop, CreateBitmapFromDCWritesPaddedRowsAndPalettes) {
    TempDir dir;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP source = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(dc, source);
    RECT all = {0, 0, 8, 8};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    DeleteObject(red);

    std::wstring path24 = dir / L"a.bmp";
    ASSERT_EQ(1, ktora::CreateBitmapFromDC(C_WString(path24.c_str()), dc, 3, 2, 24, 3, 2, 0));
    std::vector<unsigned char> b = ReadAll(path24);
    ASSERT_EQ(54u + 12u * 2u, b.size());
    EXPECT_EQ('B', b[0]);
    EXPECT_EQ('M', b[1]);
    EXPECT_EQ(b.size(), U32(b, 2));
    EXPECT_EQ(54u, U32(b, 10));
    EXPECT_EQ(40u, U32(b, 14));
    EXPECT_EQ(3u, U32(b, 18));
    // First row: three red pixels (blue, green, red order) and three bytes of padding.
    const unsigned char row[9] = {0, 0, 255, 0, 0, 255, 0, 0, 255};
    EXPECT_EQ(0, memcmp(row, &b[54], 9));

    // Writing again over an existing, longer file truncates it.
    std::wstring path8 = dir / L"b.bmp";
    ASSERT_EQ(1, ktora::CreateBitmapFromDC(C_WString(path8.c_str()), dc, 3, 2, 8, 3, 2, 0));
    std::vector<unsigned char> p = ReadAll(path8);
    EXPECT_EQ(1078u, U32(p, 10));
    EXPECT_EQ(1078u + 4u * 2u, p.size());
    ASSERT_EQ(1, ktora::CreateBitmapFromDC(C_WString(path8.c_str()), dc, 1, 1, 24, 1, 1, 0));
    EXPECT_EQ(54u + 4u, ReadAll(path8).size());

    EXPECT_EQ(0, ktora::CreateBitmapFromDC(C_WString((dir / L"c.bmp").c_str()), dc, 3, 2, 7, 3, 2,
                                           0)); // no such depth
    SelectObject(dc, old);
    DeleteObject(source);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST(Desktop, PicturesPaintUprightAndCutOut) {
    // A 2x2 picture: red, green on the top row; blue, white below.
    HDC screen = GetDC(nullptr);
    HDC src = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
    HGDIOBJ oldSrc = SelectObject(src, bitmap);
    SetPixel(src, 0, 0, RGB(255, 0, 0));
    SetPixel(src, 1, 0, RGB(0, 255, 0));
    SetPixel(src, 0, 1, RGB(0, 0, 255));
    SetPixel(src, 1, 1, RGB(255, 255, 255));
    SelectObject(src, oldSrc);
    DeleteDC(src);

    PICTDESC desc = {};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    IPicture* picture = nullptr;
    ASSERT_EQ(S_OK, OleCreatePictureIndirect(&desc, IID_IPicture, TRUE,
                                             reinterpret_cast<void**>(&picture)));

    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(dc, target);
    SIZE at = {0, 0};
    SIZE size = {4, 4};
    ktora::PaintImage(dc, at, size, picture);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 0, 0));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 3, 0));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 0, 3));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 3, 3));

    // One pixel cut out of the picture's lower left, drawn unscaled at (6, 6).
    ktora::DrawImage(dc, picture, 6, 6, 1, 1, 0, 1);
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 6, 6));
    // The top row stretched over 2x2 pixels at (4, 4).
    ktora::DrawScaleImage(dc, picture, 4, 4, 2, 2, 1, 0, 1, 1);
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 4, 4));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 5, 5));

    picture->Release();
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

namespace {

// Pixels of one colour in a w x h area of the DC.
int CountColour(HDC dc, int w, int h, COLORREF colour) {
    int n = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            n += GetPixel(dc, x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

} // namespace

TEST(Desktop, ColorPrintDrawsFittingTextOnlyAndBoldAddsAnEdge) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 30);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 120, 30};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);

    std::wstring tooLong(600, L'W');
    ktora::ColorPrint(dc, 2, 2, red, L"%ls", tooLong.c_str());
    EXPECT_EQ(0, CountColour(dc, 120, 30, red)); // does not fit: nothing drawn

    ktora::ColorPrint(dc, 2, 2, red, L"%d%ls", 42, L"WW");
    EXPECT_GT(CountColour(dc, 120, 30, red), 10);
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));

    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ktora::ColorPrintBold(dc, 4, 4, blue, red, L"%ls", L"WW");
    EXPECT_GT(CountColour(dc, 120, 30, red), 5);
    EXPECT_GT(CountColour(dc, 120, 30, blue), 5); // the outline shows around the text

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}
