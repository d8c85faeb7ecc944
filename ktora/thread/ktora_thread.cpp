#include "ktora/thread/ktora_thread.h"

#include <windows.h>

#include <process.h>

namespace ktora {
namespace common {

void* ktora_create_thread(ktora_thread_proc proc, void* arg) {
    if (!proc) {
        return nullptr;
    }
    return reinterpret_cast<void*>(_beginthreadex(nullptr, 0, proc, arg, 0, nullptr));
}

unsigned long ktora_join_thread(void* handle, int* exitCode) {
    DWORD r = WaitForSingleObject(handle, INFINITE);
    if (exitCode) {
        DWORD code = 0;
        *exitCode = GetExitCodeThread(handle, &code) ? static_cast<int>(code) : -1;
    }
    return r;
}

unsigned long ktora_join_close_thread(void* handle, unsigned long milliseconds) {
    DWORD r = WaitForSingleObject(handle, milliseconds);
    if (r != WAIT_TIMEOUT && handle) {
        CloseHandle(handle);
    }
    return r;
}

int ktora_close_thread(void* handle) {
    return handle && CloseHandle(handle) ? 1 : 0;
}

int ktora_wait_handle(void* handle, unsigned long milliseconds) {
    switch (WaitForSingleObject(handle, milliseconds)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        return kWaitSignalled;
    case WAIT_TIMEOUT:
        return kWaitTimeout;
    default:
        return kWaitFailed;
    }
}

void ktora_end_thread(int code) {
    _endthreadex(static_cast<unsigned>(code));
    for (;;) {
    }
}

int ktora_pthread_once(long* once, void (*fn)()) {
    if (!once) {
        return 0;
    }
    volatile LONG* guard = reinterpret_cast<volatile LONG*>(once);
    if (InterlockedCompareExchange(guard, 0, 0) == 2) {
        return 0;
    }
    if (InterlockedCompareExchange(guard, 1, 0) == 0) {
        if (fn) {
            fn();
        }
        InterlockedExchange(guard, 2);
        return 0;
    }
    while (InterlockedCompareExchange(guard, 0, 0) != 2) {
        Sleep(1);
    }
    return 0;
}

bool ktora_time_passed(unsigned long start, unsigned long now, unsigned long limit) {
    // Unsigned subtraction gives the elapsed time modulo 2^32, which survives the wrap.
    return static_cast<DWORD>(static_cast<DWORD>(now) - static_cast<DWORD>(start)) >=
           static_cast<DWORD>(limit);
}

} // namespace common
} // namespace ktora
