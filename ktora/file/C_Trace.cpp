#include "ktora/file/C_Trace.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <direct.h>
#include <memory>
#include <string>

#include "ktora/file/C_Time.h"
#include "ktora/file/ktora_file.h"
#include "ktora/file/ktora_safe_vsnprintf.h"

namespace ktora {

C_Trace::C_Trace()
    : m_strTraceName(L"Trace.trc"), m_strLockName(L"_lock_Trace.trc"), m_nLockMode(0),
      m_bLockHeld(false) {}

C_Trace::~C_Trace() {
    TraceOFF();
}

void C_Trace::SetTraceName(const C_WString& name) {
    if (m_File.IsOpen()) {
        return;
    }
    m_strTraceName = name;
    // The lock folder sits beside the trace file: "_lock_" goes in front of the file name,
    // not in front of a folder or drive part (which would make the name unusable).
    std::wstring lock(name.GetString());
    const size_t slash = lock.find_last_of(L"\\/:");
    lock.insert(slash == std::wstring::npos ? 0 : slash + 1, L"_lock_");
    m_strLockName = C_WString(lock.c_str());
}

void C_Trace::SetLockName(const C_WString& name) {
    if (m_File.IsOpen()) {
        return;
    }
    m_strLockName = name;
}

int C_Trace::AcquireLock(int seconds) {
    const ULONGLONG start = GetTickCount64();
    bool parentsMade = false;
    for (;;) {
        if (CreateDirectoryW(m_strLockName.GetString(), nullptr)) {
            return 1;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS) {
            const DWORD attributes = GetFileAttributesW(m_strLockName.GetString());
            if (attributes == INVALID_FILE_ATTRIBUTES) {
                continue; // removed in between: try again at once
            }
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                return 0; // a file holds the name and no tracer will ever remove it
            }
        } else if (error == ERROR_PATH_NOT_FOUND && !parentsMade) {
            // The lock sits in a folder that does not exist yet: make it, then try again.
            parentsMade = true;
            std::wstring parent(m_strLockName.GetString());
            const size_t cut = parent.find_last_of(L"\\/");
            if (cut == std::wstring::npos || cut == 0) {
                return 0;
            }
            parent.resize(cut);
            common::ktora_CreateDirectory(C_WString(parent.c_str()), common::kDirectoryModeAll);
            continue;
        } else {
            // Denied, invalid name, missing drive: waiting cannot help.
            return 0;
        }
        // Only -1 waits without limit; any other negative time-out has passed already
        // (converted to unsigned it would have become a wait of half a billion years).
        if (seconds != -1 &&
            (seconds < 0 || GetTickCount64() - start > static_cast<ULONGLONG>(seconds) * 1000)) {
            return 0;
        }
        Sleep(20);
    }
}

int C_Trace::TraceON(const int& seconds) {
    if (m_File.IsOpen()) {
        return 2;
    }
    if (m_nLockMode) {
        if (!AcquireLock(seconds)) {
            return 0;
        }
        m_bLockHeld = true;
    }
    if (m_File.Open(m_strTraceName, C_FileStream::kOpenAppend)) {
        return 1;
    }
    ReleaseLock();
    return 2;
}

void C_Trace::TraceOFF() {
    if (!m_File.IsOpen()) {
        return;
    }
    m_File.Close();
    ReleaseLock();
}

void C_Trace::ReleaseLock() {
    if (m_bLockHeld) {
        _wrmdir(m_strLockName.GetString());
        m_bLockHeld = false;
    }
}

void C_Trace::Trace(const wchar_t* text) {
    if (!m_File.IsOpen()) {
        return;
    }
    struct tm now = {};
    C_Time().GetLocalTime(&now);
    wchar_t prefix[128];
    std::swprintf(prefix, 128, L"[%d/%02d/%02d %02d:%02d:%02d] ", now.tm_year + 1900,
                  now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    // One write per entry, so that entries of other writers never land inside it.
    std::wstring line(prefix);
    if (text != nullptr) {
        line += text;
    }
    line += L'\n';
    m_File.Write(line.data(), static_cast<int>(line.size() * sizeof(wchar_t)));
}

void C_Trace::Tracef(const wchar_t* format, ...) {
    if (format == nullptr || !m_File.IsOpen()) {
        return;
    }
    wchar_t buf[260];
    int allocated = 0;
    va_list args;
    va_start(args, format);
    wchar_t* text = common::ktora_safe_vsnprintf(buf, 260, format, args, &allocated, nullptr);
    va_end(args);
    std::unique_ptr<wchar_t[]> owned(allocated == 1 ? text : nullptr);
    if (text != nullptr) {
        Trace(text);
    }
}

void C_Trace::TraceDump(const void* data, const unsigned& length) {
    if (!m_File.IsOpen() || data == nullptr) {
        return;
    }
    const unsigned char* p = static_cast<const unsigned char*>(data);
    const unsigned blocks = length / 16;
    wchar_t line[128];
    for (unsigned i = 0; i < blocks; ++i) {
        const unsigned char* b = p + i * 16;
        std::swprintf(line, 128,
                      L"%06u\t%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
                      L"%02X %02X %02X %02X",
                      i * 10, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10],
                      b[11], b[12], b[13], b[14], b[15]);
        Trace(line);
    }
    const unsigned rest = length % 16;
    if (rest != 0) {
        int used = std::swprintf(line, 128, L"%06u\t", blocks * 10);
        for (unsigned k = 0; k < rest && used > 0; ++k) {
            used += std::swprintf(line + used, 128 - used, L"%02X ", p[blocks * 16 + k]);
        }
        Trace(line);
    }
}

void C_Trace::TraceClear() {
    if (m_File.IsOpen()) {
        m_File.SetEndFile(static_cast<__int64>(0));
    }
}

} // namespace ktora
