#include "ktora/file/ktora_shim.h"

#include <string.h>

#include <string>

#include <windows.h>
#include <mmsystem.h>

namespace ktora {
namespace common {

void ktora_sleep_millis(unsigned long ms) {
    Sleep(ms);
}

unsigned long ktora_get_time() {
    return timeGetTime();
}

int ktora_swap_short(short value) {
    unsigned v = static_cast<unsigned short>(value);
    return static_cast<int>(((v & 0xffu) << 8) | (v >> 8));
}

int ktora_IsLittleEndian() {
    const unsigned short probe = 1;
    unsigned char first = 0;
    memcpy(&first, &probe, 1);
    return first == 1 ? 1 : 0;
}

int ktora_execl(const char* program, const char* args, int* started) {
    if (started != nullptr) {
        *started = 0;
    }
    if (program == nullptr) {
        return -1;
    }
    std::string command;
    try {
        // A program path with a blank is quoted, or the system would split it at the blank
        // and run another program (C:\Program.exe for C:\Program Files\...).
        const bool quoted = program[0] == '"';
        if (!quoted && strpbrk(program, " \t") != nullptr) {
            command = std::string("\"") + program + "\"";
        } else {
            command = program;
        }
        if (args != nullptr && args[0] != '\0') {
            command += ' ';
            command += args;
        }
    } catch (...) {
        return -1;
    }
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi;
    memset(&pi, 0, sizeof pi);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return -1;
    }
    if (started != nullptr) {
        *started = 1;
    }
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

} // namespace common
} // namespace ktora
