#include "ktora/file/ktora_file.h"

#include <stdio.h>

#include <string>
#include <vector>

#include <windows.h>

namespace ktora {
namespace common {

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsFolder(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

int ktora_CreateDirectory(const C_WString& path, int) {
    if (path.Empty()) {
        return 0;
    }
    const std::wstring full(path.GetString(), static_cast<size_t>(path.Length()));
    try {
        if (!CreateDirectoryW(full.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            // Walk up to the deepest level that can be created (its parent exists), then
            // create the levels below it one by one.
            std::vector<size_t> cuts;
            for (size_t i = full.size(); i-- > 1;) {
                if (IsSeparator(full[i])) {
                    cuts.push_back(i);
                }
            }
            size_t made = cuts.size();
            for (size_t k = 0; k < cuts.size(); ++k) {
                if (CreateDirectoryW(full.substr(0, cuts[k]).c_str(), nullptr)) {
                    made = k;
                    break;
                }
            }
            if (made == cuts.size()) {
                return 0;
            }
            for (size_t k = made; k-- > 0;) {
                CreateDirectoryW(full.substr(0, cuts[k]).c_str(), nullptr);
            }
            CreateDirectoryW(full.c_str(), nullptr);
        }
        // The answer is what is on disk now: the path exists as a folder, or it does not
        // (a file of that name, a level that could not be made).
        return IsFolder(full) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

C_WString ktora_GetCurrentDirectory() {
    wchar_t small[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, small);
    if (n == 0) {
        return C_WString();
    }
    if (n < MAX_PATH) {
        return C_WString(small);
    }
    try {
        // The directory may change between the calls; ask until the answer fits.
        std::vector<wchar_t> big;
        while (n >= big.size()) {
            big.assign(n + 1, L'\0');
            n = GetCurrentDirectoryW(static_cast<DWORD>(big.size()), big.data());
            if (n == 0) {
                return C_WString();
            }
        }
        return C_WString(big.data());
    } catch (...) {
        return C_WString();
    }
}

int ktora_IsExistFile(const C_WString& path) {
    if (path.Empty()) {
        return 0;
    }
    FILE* f = _wfopen(path.GetString(), L"rb");
    if (f == nullptr) {
        return 0;
    }
    fclose(f);
    return 1;
}

} // namespace common
} // namespace ktora
