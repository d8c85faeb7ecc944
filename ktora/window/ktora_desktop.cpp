#include "ktora/window/ktora_desktop.h"

#include <mmsystem.h>
#include <shlobj.h>
#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "ktora/system/ktora_GetOsVersion.h"

namespace ktora {

namespace {

const int kFormatUnits = 520;

// Formats at most size - 1 units and always terminates; returns the count written, or -1 when
// the text had to be cut.
int FormatInto(wchar_t* buffer, int size, wchar_t const* format, va_list args) {
    for (int i = 0; i < size; ++i) {
        buffer[i] = L'\0';
    }
    if (format == nullptr) {
        return 0;
    }
    int n = _vsnwprintf(buffer, static_cast<size_t>(size - 1), format, args);
    buffer[size - 1] = L'\0';
    return n;
}

struct MciDevice {
    MCIDEVICEID id = 0;
    ~MciDevice() {
        if (id != 0) {
            mciSendCommandW(id, MCI_CLOSE, MCI_WAIT, 0);
        }
    }
};

int SetCDDoor(wchar_t const* drive, DWORD_PTR doorFlag) {
    MCI_OPEN_PARMSW open = {};
    open.lpstrDeviceType = L"cdaudio";
    DWORD_PTR flags = MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE | MCI_WAIT;
    if (drive != nullptr) {
        open.lpstrElementName = drive;
        flags |= MCI_OPEN_ELEMENT;
    }
    if (mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&open)) != 0) {
        return 0;
    }
    MciDevice device;
    device.id = open.wDeviceID;
    MCI_SET_PARMS set = {};
    MCIERROR error =
        mciSendCommandW(device.id, MCI_SET, doorFlag | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
    return error == 0 ? 1 : 0;
}

// Pixels to HIMETRIC (0.01 mm) at the device's horizontal resolution.
long ToHimetric(HDC dc, int pixels) {
    return MulDiv(2540, pixels, GetDeviceCaps(dc, LOGPIXELSX));
}

} // namespace

SIZE GetWindowCenter(int width, int height) {
    SIZE pos;
    pos.cx = (GetSystemMetrics(SM_CXSCREEN) >> 1) - (width >> 1);
    pos.cy = (GetSystemMetrics(SM_CYSCREEN) >> 1) - (height >> 1);
    return pos;
}

int BrowsFolder(C_WString* path, wchar_t* const title, HWND owner) {
    wchar_t buffer[512] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = buffer;
    info.lpszTitle = title != nullptr ? title : L"参照元フォルダを選んでください。";
    info.ulFlags = BIF_STATUSTEXT;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (item == nullptr) {
        return 0;
    }
    int result = 0;
    if (SHGetPathFromIDListW(item, buffer)) {
        if (path != nullptr) {
            *path = buffer;
        }
        result = 1;
    }
    CoTaskMemFree(item);
    return result;
}

void MsgBox(wchar_t const* format, ...) {
    wchar_t text[kFormatUnits];
    va_list args;
    va_start(args, format);
    FormatInto(text, kFormatUnits, format, args);
    va_end(args);
    MessageBoxW(nullptr, text, L"お知らせ", MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

wchar_t* MakeStr(wchar_t const* format, ...) {
    static wchar_t text[kFormatUnits];
    va_list args;
    va_start(args, format);
    FormatInto(text, kFormatUnits, format, args);
    va_end(args);
    return text;
}

void ColorPrint(HDC const& dc, int x, int y, unsigned long color, wchar_t const* format, ...) {
    wchar_t text[kFormatUnits];
    va_list args;
    va_start(args, format);
    int n = FormatInto(text, kFormatUnits, format, args);
    va_end(args);
    if (n < 0) {
        return; // did not fit: nothing is drawn
    }
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, y, text, n);
}

void ColorPrintBold(HDC const& dc, int x, int y, unsigned long edgeColor, unsigned long color,
                    wchar_t const* format, ...) {
    wchar_t text[kFormatUnits];
    va_list args;
    va_start(args, format);
    int n = FormatInto(text, kFormatUnits, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, edgeColor);
    TextOutW(dc, x - 1, y, text, n);
    TextOutW(dc, x + 1, y, text, n);
    TextOutW(dc, x, y - 1, text, n);
    TextOutW(dc, x, y + 1, text, n);
    SetTextColor(dc, color);
    TextOutW(dc, x, y, text, n);
}

unsigned long GetFrameRate() {
    static DWORD count = 0;
    static DWORD rate = 0;
    static DWORD periodEnd = 0;
    static bool started = false;
    ++count;
    DWORD now = timeGetTime();
    // Compared as a signed distance so the clock's wrap after 49.7 days does not freeze the rate.
    if (!started || static_cast<LONG>(now - periodEnd) > 0) {
        started = true;
        rate = count;
        count = 0;
        periodEnd = timeGetTime() + 1000;
    }
    return rate;
}

int GetScreenBpp() {
    HDC dc = GetDC(nullptr);
    int bpp = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return bpp;
}

int ExitinAllWindows(unsigned int flags, unsigned long reason) {
    if (common::ktora_GetOsVersion(nullptr) > 5) {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            return 0;
        }
        TOKEN_PRIVILEGES privileges = {};
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    return ExitWindowsEx(flags, reason);
}

int OpenCDTray(wchar_t const* drive) {
    return SetCDDoor(drive, MCI_SET_DOOR_OPEN);
}

int CloseCDTray(wchar_t const* drive) {
    return SetCDDoor(drive, MCI_SET_DOOR_CLOSED);
}

int IsExistFile(C_WString const& path) {
    struct _stat64i32 info;
    return _wstat64i32(path.GetString(), &info) == 0 ? 1 : 0;
}

int CreateBitmapFromDC(C_WString const& path, HDC const& dc, int width, int height,
                       int bitsPerPixel, int copyWidth, int copyHeight, int /*reserved*/) {
    // Header plus room for a full 256-entry colour table.
    std::vector<unsigned char> infoBlock(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(infoBlock.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info->bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) {
        if (dib != nullptr) {
            DeleteObject(dib);
        }
        return 0;
    }
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr) {
        DeleteObject(dib);
        return 0;
    }
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, copyWidth < width ? copyWidth : width,
           copyHeight < height ? copyHeight : height, dc, 0, 0, SRCCOPY);
    std::vector<RGBQUAD> palette;
    if (bitsPerPixel <= 8) {
        palette.assign(static_cast<size_t>(1) << bitsPerPixel, RGBQUAD{0, 0, 0, 0});
        GetDIBColorTable(memory, 0, static_cast<UINT>(palette.size()), palette.data());
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    GdiFlush();

    DWORD paletteBytes = static_cast<DWORD>(palette.size() * sizeof(RGBQUAD));
    DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + paletteBytes;
    DWORD rowBytes = ((static_cast<DWORD>(width) * static_cast<DWORD>(bitsPerPixel) + 31) / 32) * 4;
    DWORD rows = static_cast<DWORD>(height < 0 ? -height : height);
    DWORD dataBytes = rowBytes * rows;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfSize = offset + dataBytes;
    file.bfOffBits = offset;

    HANDLE handle = CreateFileW(path.GetString(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        handle = CreateFileW(path.GetString(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(handle, &file, sizeof file, &written, nullptr);
        WriteFile(handle, &info->bmiHeader, sizeof(BITMAPINFOHEADER), &written, nullptr);
        if (paletteBytes != 0) {
            WriteFile(handle, palette.data(), paletteBytes, &written, nullptr);
        }
        WriteFile(handle, bits, dataBytes, &written, nullptr);
        CloseHandle(handle);
    }
    DeleteObject(dib);
    return 1;
}

void PaintImage(HDC const& dc, SIZE const& position, SIZE const& size, IPicture* const& picture) {
    if (picture == nullptr) {
        return;
    }
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    picture->Render(dc, position.cx, position.cy, size.cx, size.cy, 0, h, w, -h, nullptr);
}

void DrawImage(HDC const& dc, IPicture* picture, int x, int y, int width, int height, int sourceX,
               int sourceY) {
    DrawScaleImage(dc, picture, x, y, width, height, sourceX, sourceY, width, height);
}

void DrawScaleImage(HDC const& dc, IPicture* picture, int x, int y, int width, int height,
                    int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    if (picture == nullptr) {
        return;
    }
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Height(&h);
    long sx = ToHimetric(dc, sourceX);
    long sy = ToHimetric(dc, sourceY);
    long sw = ToHimetric(dc, sourceWidth);
    long sh = ToHimetric(dc, sourceHeight);
    picture->Render(dc, x, y, width, height, sx, h - sy, sw, -sh, nullptr);
}

} // namespace ktora
