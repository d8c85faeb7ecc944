#include "tools/xcopy/C_Console.h"

#include <cwctype>
#include <vector>

namespace xcopy {

namespace {

bool IsConsoleHandle(HANDLE h) {
    DWORD mode = 0;
    return h && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

} // namespace

C_Console::C_Console() {
    m_nCodePage = GetConsoleOutputCP();
    if (!m_nCodePage)
        m_nCodePage = GetOEMCP();
    m_out.handle = GetStdHandle(STD_OUTPUT_HANDLE);
    m_out.console = IsConsoleHandle(m_out.handle);
    m_err.handle = GetStdHandle(STD_ERROR_HANDLE);
    m_err.console = IsConsoleHandle(m_err.handle);
    m_hIn = GetStdHandle(STD_INPUT_HANDLE);
    m_bInConsole = IsConsoleHandle(m_hIn);
    m_dwLastFlush = GetTickCount();
}

C_Console::~C_Console() {
    Flush();
}

void C_Console::Write(Stream& s, const std::wstring& text) {
    if (text.empty() || !s.handle || s.handle == INVALID_HANDLE_VALUE)
        return;
    DWORD done = 0;
    if (s.console) {
        // Wide console output keeps every character, whatever the code page.
        size_t pos = 0;
        while (pos < text.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - pos, 8192));
            if (!WriteConsoleW(s.handle, text.data() + pos, chunk, &done, nullptr) || !done)
                break;
            pos += done;
        }
        return;
    }
    // Redirected: bytes in the console code page, as the console would show them.
    int n = WideCharToMultiByte(m_nCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                0, nullptr, nullptr);
    if (n <= 0)
        return;
    std::vector<char> bytes(static_cast<size_t>(n));
    WideCharToMultiByte(m_nCodePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
    size_t pos = 0;
    while (pos < bytes.size()) {
        if (!WriteFile(s.handle, bytes.data() + pos, static_cast<DWORD>(bytes.size() - pos), &done,
                       nullptr) ||
            !done)
            break;
        pos += done;
    }
}

void C_Console::Out(const std::wstring& line) {
    m_out.pending += line;
    m_out.pending += L"\r\n";
    // Keep a visible console current without paying a write for every small file.
    if (m_out.pending.size() >= 8192 || GetTickCount() - m_dwLastFlush >= 200)
        Flush();
}

void C_Console::Err(const std::wstring& line) {
    Flush();
    Write(m_err, line + L"\r\n");
}

void C_Console::Flush() {
    if (!m_out.pending.empty()) {
        Write(m_out, m_out.pending);
        m_out.pending.clear();
    }
    m_dwLastFlush = GetTickCount();
}

// Waits until input can be read without blocking for ever; false when asked to stop or
// when the input has ended.
bool C_Console::WaitForInput() {
    const bool pipe = GetFileType(m_hIn) == FILE_TYPE_PIPE;
    if (!m_bInConsole && !pipe)
        return true; // a file or a device answers at once
    for (;;) {
        if (m_pAbort && m_pAbort->load())
            return false;
        if (m_bInConsole) {
            if (WaitForSingleObject(m_hIn, 50) == WAIT_OBJECT_0)
                return true;
            continue;
        }
        DWORD avail = 0;
        if (!PeekNamedPipe(m_hIn, nullptr, 0, nullptr, &avail, nullptr))
            return GetLastError() != ERROR_BROKEN_PIPE; // writer gone: end of input
        if (avail)
            return true;
        Sleep(50);
    }
}

bool C_Console::ReadLine(std::wstring& line) {
    line.clear();
    if (m_bInputEnded || !m_hIn || m_hIn == INVALID_HANDLE_VALUE)
        return false;
    if (!WaitForInput())
        return false;
    if (m_bInConsole) {
        wchar_t buf[256];
        DWORD got = 0;
        for (;;) {
            if (!ReadConsoleW(m_hIn, buf, 256, &got, nullptr) || !got)
                return false;
            line.append(buf, got);
            if (line.back() == L'\n')
                return true;
        }
    }
    // A pipe or file: bytes in the console code page up to a line feed.
    std::string bytes;
    char c = 0;
    DWORD got = 0;
    bool any = false;
    while (ReadFile(m_hIn, &c, 1, &got, nullptr) && got == 1) {
        any = true;
        if (c == '\n')
            break;
        bytes += c;
        if (!WaitForInput())
            break;
    }
    if (!any)
        return false;
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.pop_back();
    int n = MultiByteToWideChar(m_nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                nullptr, 0);
    if (n > 0) {
        line.resize(static_cast<size_t>(n));
        MultiByteToWideChar(m_nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), &line[0],
                            n);
    }
    return true;
}

wchar_t C_Console::Ask(const std::wstring& question, const wchar_t* choices) {
    for (;;) {
        Flush();
        Write(m_out, question);
        std::wstring line;
        if (!ReadLine(line)) {
            m_bInputEnded = true;
            Write(m_out, L"\r\n");
            return 0;
        }
        if (!m_bInConsole)
            Write(m_out, line + L"\r\n");
        for (wchar_t c : line) {
            if (c == L' ' || c == L'\t')
                continue;
            wchar_t u = static_cast<wchar_t>(std::towupper(c));
            for (const wchar_t* p = choices; *p; ++p)
                if (*p == u)
                    return u;
            break;
        }
    }
}

} // namespace xcopy
