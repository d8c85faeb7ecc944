#include "window/gui_helpers.h"

#include <cstring>

namespace guitest {

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(std::function<bool()> const& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

namespace {

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

} // namespace

TestDialog::TestDialog(int width, int height) : m_hWnd(nullptr) {
    // Header, then empty menu, class and title arrays, each a WORD.
    alignas(DWORD) WORD buffer[64] = {};
    DLGTEMPLATE* t = reinterpret_cast<DLGTEMPLATE*>(buffer);
    // No caption: Wine waits up to 2 s for a window manager to unmap a managed window, and
    // Xvfb has none.
    t->style = WS_POPUP | WS_BORDER | WS_VISIBLE;
    t->cdit = 0;
    t->x = 10;
    t->y = 10;
    t->cx = static_cast<short>(width);
    t->cy = static_cast<short>(height);
    m_hWnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t, nullptr, TestDialogProc, 0);
}

TestDialog::~TestDialog() {
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
}

SessionLock::SessionLock(wchar_t const* name)
    : m_mutex(CreateMutexW(nullptr, FALSE, name)), m_held(false) {
    if (m_mutex) {
        DWORD r = WaitForSingleObject(m_mutex, 120000);
        m_held = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
}

SessionLock::~SessionLock() {
    if (m_held) {
        ReleaseMutex(m_mutex);
    }
    if (m_mutex) {
        CloseHandle(m_mutex);
    }
}

std::wstring ReadClipboard() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) {
        return text;
    }
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data) {
        wchar_t const* p = static_cast<wchar_t const*>(GlobalLock(data));
        if (p) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool WriteClipboard(std::wstring const& text) {
    if (!OpenClipboard(nullptr)) {
        return false;
    }
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (memory) {
        void* p = GlobalLock(memory);
        std::memcpy(p, text.c_str(), bytes);
        GlobalUnlock(memory);
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!done) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
    return done;
}

namespace {

bool IsDark(DWORD pixel) {
    int r = (pixel >> 16) & 0xFF;
    int g = (pixel >> 8) & 0xFF;
    int b = pixel & 0xFF;
    return r + g + b < 3 * 128;
}

} // namespace

int Capture::CountDark(RECT const& area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom && y < height; ++y) {
        for (int x = area.left; x < area.right && x < width; ++x) {
            n += IsDark(At(x, y)) ? 1 : 0;
        }
    }
    return n;
}

int Capture::FirstDarkColumn(RECT const& area) const {
    for (int x = area.left; x < area.right && x < width; ++x) {
        for (int y = area.top; y < area.bottom && y < height; ++y) {
            if (IsDark(At(x, y))) {
                return x;
            }
        }
    }
    return -1;
}

Capture CaptureWindow(HWND hwnd, bool whole) {
    Capture image;
    RECT r = {};
    if (whole) {
        GetWindowRect(hwnd, &r);
        OffsetRect(&r, -r.left, -r.top);
    } else {
        GetClientRect(hwnd, &r);
    }
    image.width = r.right;
    image.height = r.bottom;
    if (image.width <= 0 || image.height <= 0) {
        return image;
    }
    HDC source = whole ? GetWindowDC(hwnd) : GetDC(hwnd);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = image.width;
    bi.bmiHeader.biHeight = -image.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
        GdiFlush();
        DWORD const* p = static_cast<DWORD const*>(bits);
        image.pixels.assign(p, p + static_cast<size_t>(image.width) * image.height);
        for (DWORD& px : image.pixels) {
            px &= 0xFFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    if (memory) {
        DeleteDC(memory);
    }
    ReleaseDC(hwnd, source);
    if (image.pixels.empty()) {
        image.width = image.height = 0;
    }
    return image;
}

bool SaveBmp(Capture const& image, std::wstring const& path) {
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
    int stride = (image.width * 3 + 3) & ~3;
    std::vector<unsigned char> rows(static_cast<size_t>(stride) * image.height);
    for (int y = 0; y < image.height; ++y) {
        unsigned char* row = rows.data() + static_cast<size_t>(image.height - 1 - y) * stride;
        for (int x = 0; x < image.width; ++x) {
            DWORD px = image.At(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(px & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((px >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>((px >> 16) & 0xFF);
        }
    }
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(rows.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(h, &file, sizeof file, &written, nullptr) && written == sizeof file &&
              WriteFile(h, &info, sizeof info, &written, nullptr) && written == sizeof info &&
              WriteFile(h, rows.data(), info.biSizeImage, &written, nullptr) &&
              written == info.biSizeImage;
    CloseHandle(h);
    return ok;
}

std::wstring ExeFolder() {
    std::vector<wchar_t> path(32768);
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring full(path.data(), n);
    size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1);
}

} // namespace guitest
