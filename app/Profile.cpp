#include "app/Profile.h"

#include <windows.h>

#include <climits>
#include <functional>
#include <string>

#include "ktora/file/C_IniFile.h"
#include "ktora/file/C_WIniFile.h"
#include "ktora/string/C_Integer.h"

using ktora::C_String;
using ktora::C_WString;

namespace {

// Profiles are a few lines; a larger file is read as it always was.
constexpr DWORD kMaxDecodedBytes = 1 << 20;

void SetIfGiven(C_WString const& value, C_WString* target) {
    if (!value.Empty()) {
        *target = value;
    }
}

// A handle to path when it is a file on a disk: a serial port or pipe would block the read, and
// \\.\ names a volume, which is a disk too.
HANDLE OpenProfileFile(C_WString const& path) {
    std::wstring name(path.GetString());
    if (name.size() >= 4 && (name[0] == L'\\' || name[0] == L'/') &&
        (name[1] == L'\\' || name[1] == L'/') && name[2] == L'.' &&
        (name[3] == L'\\' || name[3] == L'/')) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = CreateFileW(path.GetString(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return h;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(h);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

bool ReadBytes(HANDLE h, std::string* bytes, unsigned long long maxBytes = kMaxDecodedBytes) {
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(h, &size) && static_cast<unsigned long long>(size.QuadPart) <= maxBytes;
    if (ok) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes->empty() ||
             (ReadFile(h, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &read, nullptr) &&
              read == bytes->size());
    }
    return ok;
}

bool HasNonAscii(std::string const& bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

// The profile's text when it is UTF-16 or UTF-8; false for the system code page.
bool DecodeUnicode(std::string const& bytes, std::wstring* text) {
    auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    auto ascii = [](unsigned char c) { return c >= 0x01 && c < 0x80; };
    const bool little = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    const bool big = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    const bool bare = !little && !big && bytes.size() >= 4 && byte(1) == 0 && byte(3) == 0 &&
                      ascii(byte(0)) && ascii(byte(2));
    if (little || big || bare) {
        const size_t first = bare ? 0 : 2;
        const size_t units = (bytes.size() - first) / 2; // an odd last byte is no character
        text->resize(units);
        for (size_t i = 0; i < units; ++i) {
            unsigned lo = byte(first + 2 * i + (big ? 1 : 0));
            unsigned hi = byte(first + 2 * i + (big ? 0 : 1));
            (*text)[i] = static_cast<wchar_t>(lo | (hi << 8));
        }
        return true;
    }
    size_t start = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    } else if (!HasNonAscii(bytes)) {
        return false; // plain ASCII reads the same either way
    }
    const char* data = bytes.data() + start;
    int length = static_cast<int>(bytes.size() - start);
    if (length == 0) {
        text->clear();
        return true;
    }
    // Strict: a Shift_JIS file is almost never valid UTF-8, and is then read as before.
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, length, nullptr, 0);
    if (units <= 0) {
        return false;
    }
    text->resize(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, length, &(*text)[0], units);
    return true;
}

// The value of key in a decoded profile, by the settings-file rules (a line ends at CR LF, LF
// or a lone CR; the first line holding the key counts). Empty when the key is missing.
C_WString ValueIn(std::wstring const& text, wchar_t const* key) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        size_t value = 0;
        if (ktora::C_WIniFile::ValueOfKeyLine(line, key, &value)) {
            return C_WString(line.substr(value).c_str());
        }
    }
    return C_WString();
}

// True when a count text that parsed to the largest int stands for more than that.
bool BeyondIntRange(C_WString const& text) {
    std::wstring digits;
    for (wchar_t const* p = text.GetString(); *p; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            digits += *p;
        } else if (*p >= 0xFF10 && *p <= 0xFF19) {
            digits += static_cast<wchar_t>(L'0' + (*p - 0xFF10));
        } else if (!digits.empty()) {
            break;
        }
    }
    size_t first = digits.find_first_not_of(L'0');
    if (first == std::wstring::npos) {
        return false;
    }
    digits.erase(0, first);
    return digits.size() > 10 || (digits.size() == 10 && digits > L"2147483647");
}

void Fill(std::function<C_WString(char const*)> const& text,
          std::function<int(char const*)> const& number, ProfileValues* values) {
    ProfileValues v;
    v.texts.txt_cat1 = text("txt_cat1");
    v.texts.txt_cat2 = text("txt_cat2");
    v.texts.txt_cat3 = text("txt_cat3");
    v.texts.txt_front = text("txt_front");
    v.texts.dir_cat1 = text("dir_cat1");
    v.texts.dir_cat2 = text("dir_cat2");
    int dirRule = number("dir_rule");
    v.dir_rule = dirRule < 0 ? 0 : dirRule;
    v.dir_type = number("dir_type") == 1 ? 1 : 0;
    int txtRule = number("txt_rule");
    v.txt_rule = txtRule < 0 ? 0 : txtRule;
    v.txt_enable = number("txt_enable") > 0;
    int count = number("make_count");
    v.make_count = count > 0 ? count : 0;
    if (count == INT_MAX && BeyondIntRange(text("make_count"))) {
        v.make_count = 0;
        v.make_count_out_of_range = true;
    } else if (count <= 0 && !text("make_count").Empty()) {
        C_WString note(L"make_count=");
        note += text("make_count");
        v.ignored.push_back(note);
    }
    int value = 0;
    v.dir_start = text("dir_start");
    v.bad_start = !v.dir_start.Empty() &&
                  !(ParseCountText(v.dir_start, &value) && value >= 0 && value <= kFirstNumberMax);
    v.dir_width = text("dir_width");
    v.bad_width = !v.dir_width.Empty() &&
                  !(ParseCountText(v.dir_width, &value) && value >= 0 && value <= kNumberWidthMax);
    v.dir_tree_only_text = text("dir_tree_only");
    v.bad_tree_only = !v.dir_tree_only_text.Empty() &&
                      !(ParseCountText(v.dir_tree_only_text, &value) && (value == 0 || value == 1));
    v.dir_tree_only = !v.dir_tree_only_text.Empty() && !v.bad_tree_only && value == 1;
    v.copy_builtin_text = text("copy_builtin");
    v.bad_copy_builtin =
        !v.copy_builtin_text.Empty() &&
        !(ParseCountText(v.copy_builtin_text, &value) && (value == 0 || value == 1));
    v.copy_builtin = !v.copy_builtin_text.Empty() && !v.bad_copy_builtin && value == 1;
    v.dir_list = text("dir_list");
    *values = v;
}

} // namespace

bool ReadSettingsText(C_WString const& path, unsigned long long maxBytes, std::wstring* text,
                      unsigned long long* size, unsigned long long* written) {
    HANDLE h = OpenProfileFile(path);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    std::string bytes;
    bool ok = GetFileInformationByHandle(h, &info) && ReadBytes(h, &bytes, maxBytes);
    CloseHandle(h);
    if (!ok) {
        return false;
    }
    if (size != nullptr) {
        *size = bytes.size();
    }
    if (written != nullptr) {
        *written = (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                   info.ftLastWriteTime.dwLowDateTime;
    }
    if (DecodeUnicode(bytes, text)) {
        return true;
    }
    text->clear();
    if (bytes.empty()) {
        return true;
    }
    int units =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (units <= 0) {
        return false;
    }
    text->resize(static_cast<size_t>(units));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &(*text)[0],
                        units);
    return true;
}

bool ReadProfile(C_WString const& path, ProfileValues* values, bool createMissing) {
    HANDLE h = OpenProfileFile(path);
    if (h == INVALID_HANDLE_VALUE && createMissing && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // Made as a new file only: whatever the name opens instead is looked at again.
        HANDLE made = CreateFileW(path.GetString(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made != INVALID_HANDLE_VALUE) {
            CloseHandle(made);
            h = OpenProfileFile(path);
        }
    }
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string bytes;
    std::wstring decoded;
    const bool unicode = ReadBytes(h, &bytes) && DecodeUnicode(bytes, &decoded);
    CloseHandle(h);
    if (unicode) {
        Fill([&decoded](char const* key) { return ValueIn(decoded, C_WString(key).GetString()); },
             [&decoded](char const* key) {
                 C_WString value = ValueIn(decoded, C_WString(key).GetString());
                 return value.Empty() ? -1 : ktora::C_Integer::ParseIntW(value);
             },
             values);
        return true;
    }
    ktora::C_IniFile ini(path);
    if (!ini.IsOpen()) {
        return false;
    }
    Fill(
        [&ini](char const* key) {
            C_WString value;
            value = ini.GetStr(C_String(key));
            return value;
        },
        [&ini](char const* key) { return ini.GetInt(C_String(key)); }, values);
    return true;
}

void ApplyProfile(ProfileValues const& v, CopySettings* s) {
    SetIfGiven(v.texts.txt_cat1, &s->texts.txt_cat1);
    SetIfGiven(v.texts.txt_cat2, &s->texts.txt_cat2);
    SetIfGiven(v.texts.txt_cat3, &s->texts.txt_cat3);
    SetIfGiven(v.texts.txt_front, &s->texts.txt_front);
    SetIfGiven(v.texts.dir_cat1, &s->texts.dir_cat1);
    SetIfGiven(v.texts.dir_cat2, &s->texts.dir_cat2);
    // An index past the end of a rule list leaves the dialog's combo without a selection,
    // which the run reads as -1.
    s->dir_rule = v.dir_rule < kFolderRuleCount ? v.dir_rule : -1;
    s->counter_kind = v.dir_type;
    s->txt_rule = v.txt_rule < kTextRuleCount ? v.txt_rule : -1;
    s->text_output = v.txt_enable;
    if (v.make_count > 0) {
        s->count = v.make_count;
        s->count_valid = true;
    } else if (v.make_count_out_of_range) {
        s->count_valid = false;
    }
    if (!v.dir_start.Empty() && !v.bad_start) {
        s->start_valid = ParseCountText(v.dir_start, &s->start);
    }
    if (!v.dir_width.Empty() && !v.bad_width) {
        s->width_valid = ParseCountText(v.dir_width, &s->width);
    }
    if (!v.bad_tree_only) {
        s->tree_only = v.dir_tree_only;
    }
    if (!v.bad_copy_builtin) {
        s->copy_builtin = v.copy_builtin;
    }
    // After make_count: the list's own count wins.
    if (!v.dir_list.Empty()) {
        s->name_list = v.dir_list;
        s->counter_kind = kCounterKindList;
        s->count_from_list = true;
    }
}
