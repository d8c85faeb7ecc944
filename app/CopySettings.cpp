#include "app/CopySettings.h"

using ktora::C_WString;

bool ParseCountText(C_WString const& text, int* value) {
    wchar_t const* p = text.GetString();
    while (*p == L' ' || *p == L'\t') {
        ++p;
    }
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        ++p;
    }
    if (*p < L'0' || *p > L'9') {
        return false;
    }
    long long v = 0;
    while (*p >= L'0' && *p <= L'9') {
        v = v * 10 + (*p - L'0');
        if (v > 2147483648LL) {
            return false;
        }
        ++p;
    }
    while (*p == L' ' || *p == L'\t') {
        ++p;
    }
    if (*p != L'\0') {
        return false;
    }
    v = negative ? -v : v;
    if (v > 2147483647LL) {
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}
