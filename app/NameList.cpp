#include "app/NameList.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "app/CopyPaths.h"
#include "app/Profile.h"

using ktora::C_WString;

namespace {

// Device names are at most seven characters ("CONOUT$"), before any extension.
constexpr int kLongestDeviceStem = 7;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

int StemLength(wchar_t const* name, int length) {
    int end = 0;
    while (end < length && name[end] != L'.') {
        ++end;
    }
    while (end > 0 && name[end - 1] == L' ') {
        --end;
    }
    return end;
}

// One folder name, never a path; the device rule only where a device name could be.
bool IsUsableListedName(wchar_t const* name, int length, int stem) {
    if (length > kMaxNameUnits || HasBadNameCharacter(name, length) || name[length - 1] == L'.' ||
        name[length - 1] == L' ') {
        return false;
    }
    for (int i = 0; i < length; ++i) {
        if (name[i] == L'\\' || name[i] == L'/') {
            return false;
        }
    }
    return stem > kLongestDeviceStem ||
           IsUsableCopyName(C_WString(std::wstring(name, static_cast<size_t>(length)).c_str()));
}

} // namespace

std::shared_ptr<NameList const> NameList::Load(C_WString const& path,
                                               std::shared_ptr<NameList const> const& previous) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    // The cheap look first: a list read before is taken again while its file is unchanged.
    if (previous && previous->m_error != NameListError::kUnreadable && previous->m_path == path &&
        GetFileAttributesExW(path.GetString(), GetFileExInfoStandard, &data) &&
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        unsigned long long size =
            (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        unsigned long long written =
            (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime;
        if (size == previous->m_size && written == previous->m_written) {
            return previous;
        }
    }
    auto list = std::make_shared<NameList>();
    list->m_path = path;
    std::wstring text;
    if (path.Empty() ||
        !ReadSettingsText(path, kMaxBytes, &text, &list->m_size, &list->m_written)) {
        return list;
    }
    list->Parse(std::move(text));
    return list;
}

std::shared_ptr<NameList const> NameList::FromText(std::wstring const& text) {
    auto list = std::make_shared<NameList>();
    list->Parse(std::move(text));
    return list;
}

void NameList::Parse(std::wstring text) {
    m_error = NameListError::kNone;
    m_text = std::move(text);
    int badLine = 0;
    int line = 0;
    size_t start = 0;
    while (start < m_text.size()) {
        size_t end = m_text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = m_text.size();
        }
        ++line;
        size_t first = start;
        size_t last = end;
        while (first < last && IsBlank(m_text[first])) {
            ++first;
        }
        while (last > first && IsBlank(m_text[last - 1])) {
            --last;
        }
        start = end + (m_text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        if (first == last || m_text[first] == L'#') {
            continue;
        }
        wchar_t const* name = m_text.c_str() + first;
        int length = static_cast<int>(last - first);
        int stem = StemLength(name, length);
        if (badLine == 0 && !IsUsableListedName(name, length, stem)) {
            badLine = line;
        }
        if (stem <= kLongestDeviceStem) {
            m_stems.emplace_back(stem, static_cast<int>(m_at.size()));
        }
        m_longest = std::max(m_longest, length);
        m_at.push_back(first);
        m_length.push_back(length);
        m_lines.push_back(line);
    }
    if (m_at.empty()) {
        m_error = NameListError::kEmpty;
        return;
    }
    std::sort(m_stems.begin(), m_stems.end());
    m_sorted.resize(m_at.size());
    for (size_t i = 0; i < m_sorted.size(); ++i) {
        m_sorted[i] = static_cast<int>(i);
    }
    // Sorting compares upper-case keys as plain units; equal neighbours are confirmed as
    // Windows compares names.
    m_keys = m_text;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, m_text.c_str(),
                      static_cast<int>(m_text.size()), &m_keys[0], static_cast<int>(m_keys.size()),
                      nullptr, nullptr, 0) != static_cast<int>(m_text.size())) {
        m_keys = m_text;
    }
    std::sort(m_sorted.begin(), m_sorted.end(), [this](int a, int b) {
        int order = CompareKeys(a, m_keys.c_str() + m_at[static_cast<size_t>(b)], NameLength(b));
        return order < 0 || (order == 0 && a < b);
    });
    // The first line, in file order, that repeats an earlier name.
    int repeat = -1;
    int original = -1;
    size_t group = 0; // where the run of equal names holding i began
    for (size_t i = 1; i < m_sorted.size(); ++i) {
        int previous = m_sorted[i - 1];
        int current = m_sorted[i];
        if (!EqualNoCase(m_text.c_str() + m_at[static_cast<size_t>(previous)], NameLength(previous),
                         m_text.c_str() + m_at[static_cast<size_t>(current)],
                         NameLength(current))) {
            group = i;
            continue;
        }
        // Ties are ordered by index: the run's first is the earliest line.
        if (repeat < 0 || current < repeat) {
            repeat = current;
            original = m_sorted[group];
        }
    }
    int repeatLine = repeat < 0 ? 0 : m_lines[static_cast<size_t>(repeat)];
    if (badLine != 0 && (repeatLine == 0 || badLine < repeatLine)) {
        m_error = NameListError::kBadName;
        m_errorLine = badLine;
    } else if (repeatLine != 0) {
        m_error = NameListError::kDuplicate;
        m_errorLine = repeatLine;
        m_firstLine = m_lines[static_cast<size_t>(original)];
    }
}

C_WString NameList::Name(int index) const {
    return C_WString(
        m_text.substr(m_at[static_cast<size_t>(index)], static_cast<size_t>(NameLength(index)))
            .c_str());
}

int NameList::CompareKeys(int index, wchar_t const* key, int length) const {
    int own = NameLength(index);
    int order = std::wmemcmp(m_keys.c_str() + m_at[static_cast<size_t>(index)], key,
                             static_cast<size_t>(std::min(own, length)));
    return order != 0 ? order : own - length;
}

int NameList::IndexOf(wchar_t const* text, int length) const {
    std::wstring key(text, static_cast<size_t>(length));
    if (length > 0) {
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text, length, &key[0], length,
                      nullptr, nullptr, 0);
    }
    auto at = std::lower_bound(m_sorted.begin(), m_sorted.end(), key,
                               [this](int a, std::wstring const& k) {
                                   return CompareKeys(a, k.c_str(), static_cast<int>(k.size())) < 0;
                               });
    if (at != m_sorted.end() && EqualNoCase(m_text.c_str() + m_at[static_cast<size_t>(*at)],
                                            NameLength(*at), text, length)) {
        return *at;
    }
    return -1;
}

std::vector<int> NameList::ShortNames(int stemLength) const {
    std::vector<int> indices;
    for (auto const& stem : m_stems) {
        if (stem.first > stemLength) {
            break;
        }
        indices.push_back(stem.second);
    }
    return indices;
}
