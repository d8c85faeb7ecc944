#pragma once
// Helpers of the window tests: a real dialog to host controls, bounded message pumping,
// clipboard access and window captures.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace guitest {

// Dispatches every message already waiting for this thread (paint included).
void PumpPending();

// Dispatches messages until done() holds or timeoutMs pass; returns done()'s last answer.
bool PumpUntil(std::function<bool()> const& done, DWORD timeoutMs);

// A modeless dialog made from an in-memory template, destroyed with the object.
class TestDialog {
public:
    TestDialog(int width, int height);
    ~TestDialog();
    TestDialog(TestDialog const&) = delete;
    TestDialog& operator=(TestDialog const&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

// Holds a named mutex shared by all test processes of the session, so that tests running in
// parallel (ctest -j) take turns with what the whole display shares, such as the clipboard.
class SessionLock {
public:
    explicit SessionLock(wchar_t const* name);
    ~SessionLock();
    SessionLock(SessionLock const&) = delete;
    SessionLock& operator=(SessionLock const&) = delete;
    bool Held() const { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held;
};

// Text on the clipboard as CF_UNICODETEXT; empty when there is none.
std::wstring ReadClipboard();
// Puts text on the clipboard; false when the clipboard could not be opened.
bool WriteClipboard(std::wstring const& text);

// A 32-bit copy of a window's pixels.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels; // 0x00RRGGBB, top row first

    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels darker than mid grey inside the rectangle.
    int CountDark(RECT const& area) const;
    // Left-most column holding a dark pixel inside the rectangle, -1 when none.
    int FirstDarkColumn(RECT const& area) const;
};

// The client area (whole = false) or the whole window with its frame (whole = true).
Capture CaptureWindow(HWND hwnd, bool whole);
// Writes a 24-bit BMP; creates the folder first.
bool SaveBmp(Capture const& image, std::wstring const& path);

// The folder of the running test executable (the build tree), with a trailing backslash.
std::wstring ExeFolder();

} // namespace guitest
