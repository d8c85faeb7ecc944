#include "ktora/file/ktora_safe_vsnprintf.h"

#include <cstdio>
#include <new>
#include <wchar.h>

namespace ktora {
namespace common {
namespace {

// Runs one call of the vprintf family on a copy of args, so that args serves the next call.
template <class Fn, class... A> int on_copy(va_list args, Fn fn, A... a) {
    va_list copy;
    va_copy(copy, args);
    const int r = fn(a..., copy);
    va_end(copy);
    return r;
}

int format_into(char* buf, size_t size, const char* format, va_list args) {
    return on_copy(args, _vsnprintf, buf, size, format);
}
int format_into(wchar_t* buf, size_t size, const wchar_t* format, va_list args) {
    return on_copy(args, _vsnwprintf, buf, size, format);
}
int needed_length(const char* format, va_list args) {
    return on_copy(args, _vscprintf, format);
}
int needed_length(const wchar_t* format, va_list args) {
    return on_copy(args, _vscwprintf, format);
}

template <class T>
T* safe_format(T* buf, unsigned size, const T* format, va_list args, int* allocated, int* length) {
    if (allocated) {
        *allocated = 0;
    }
    if (length) {
        *length = 0;
    }
    if (!buf || size == 0 || !format) {
        return nullptr;
    }
    const int r = format_into(buf, size, format, args);
    if (r >= 0 && static_cast<unsigned>(r) < size) {
        buf[r] = 0;
        if (length) {
            *length = r;
        }
        return buf;
    }
    buf[0] = 0;
    // -1 means "did not fit" or an encoding error: ask for the real length instead of
    // doubling blindly, so an error stops here and the size cannot wrap.
    const int needed = needed_length(format, args);
    if (needed < 0 || static_cast<unsigned>(needed) > ktora_safe_vsnprintf_max) {
        return nullptr;
    }
    unsigned grown = static_cast<unsigned>(needed) + 1;
    if (size <= ktora_safe_vsnprintf_max && grown < size * 2) {
        grown = size * 2;
    }
    T* heap = new (std::nothrow) T[grown];
    if (!heap) {
        return nullptr;
    }
    const int again = format_into(heap, grown, format, args);
    if (again < 0 || static_cast<unsigned>(again) >= grown) {
        delete[] heap;
        return nullptr;
    }
    heap[again] = 0;
    if (allocated) {
        *allocated = 1;
    }
    if (length) {
        *length = again;
    }
    return heap;
}

} // namespace

char* ktora_safe_vsnprintf_a(char* buf, unsigned size, const char* format, va_list args,
                             int* allocated, int* length) {
    return safe_format(buf, size, format, args, allocated, length);
}

wchar_t* ktora_safe_vsnprintf_w(wchar_t* buf, unsigned size, const wchar_t* format, va_list args,
                                int* allocated, int* length) {
    return safe_format(buf, size, format, args, allocated, length);
}

wchar_t* ktora_safe_vsnprintf(wchar_t* buf, unsigned size, const wchar_t* format, va_list args,
                              int* allocated, int* length) {
    return safe_format(buf, size, format, args, allocated, length);
}

} // namespace common
} // namespace ktora
