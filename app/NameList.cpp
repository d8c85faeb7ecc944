#include "app/NameList.h"

#include <windows.h>

#include <algorithm>

#include "app/CopyPaths.h"
#include "app/Profile.h"

using ktora::C_WString;

namespace {

// Device names are at most seven characters ("CONOUT$"), before any extension.
constexpr int kLongestDeviceStem = 7;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

int CompareNoCase(C_WString const& a, wchar_t const* b, int bLength) {
    return CompareStringOrdinal(a.GetString(), a.Length(), b, bLength, TRUE);
}

int StemLength(std::wstring const& name) {
    size_t end = name.find(L'.');
    end = end == std::wstring::npos ? name.size() : end;
    while (end > 0 && name[end - 1] == L' ') {
        --end;
    }
    return static_cast<int>(end);
}

bool IsUsableListedName(std::wstring const& name) {
    if (name.find_first_of(L"\\/\t") != std::wstring::npos) {
        return false; // one folder name, never a path
    }
    C_WString text(name.c_str());
    return IsUsableCopyName(text) && !HasTrailingDotPart(text);
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
    list->Parse(text);
    return list;
}

std::shared_ptr<NameList const> NameList::FromText(std::wstring const& text) {
    auto list = std::make_shared<NameList>();
    list->Parse(text);
    return list;
}

void NameList::Parse(std::wstring const& text) {
    m_error = NameListError::kNone;
    int badLine = 0;
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        ++line;
        size_t first = start;
        size_t last = end;
        while (first < last && IsBlank(text[first])) {
            ++first;
        }
        while (last > first && IsBlank(text[last - 1])) {
            --last;
        }
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        if (first == last || text[first] == L'#') {
            continue;
        }
        std::wstring name = text.substr(first, last - first);
        if (badLine == 0 && !IsUsableListedName(name)) {
            badLine = line;
        }
        int stem = StemLength(name);
        if (stem <= kLongestDeviceStem) {
            m_stems.emplace_back(stem, static_cast<int>(m_names.size()));
        }
        m_longest = std::max(m_longest, static_cast<int>(name.size()));
        m_names.emplace_back(name.c_str());
        m_lines.push_back(line);
    }
    if (m_names.empty()) {
        m_error = NameListError::kEmpty;
        return;
    }
    std::sort(m_stems.begin(), m_stems.end());
    m_sorted.resize(m_names.size());
    for (size_t i = 0; i < m_sorted.size(); ++i) {
        m_sorted[i] = static_cast<int>(i);
    }
    std::vector<C_WString> const& names = m_names;
    std::sort(m_sorted.begin(), m_sorted.end(), [&names](int a, int b) {
        int order =
            CompareNoCase(names[static_cast<size_t>(a)], names[static_cast<size_t>(b)].GetString(),
                          names[static_cast<size_t>(b)].Length());
        return order == CSTR_LESS_THAN || (order == CSTR_EQUAL && a < b);
    });
    // The first line, in file order, that repeats an earlier name.
    int repeat = -1;
    int original = -1;
    size_t group = 0; // where the run of equal names holding i began
    for (size_t i = 1; i < m_sorted.size(); ++i) {
        C_WString const& previous = m_names[static_cast<size_t>(m_sorted[i - 1])];
        C_WString const& name = m_names[static_cast<size_t>(m_sorted[i])];
        if (CompareNoCase(previous, name.GetString(), name.Length()) != CSTR_EQUAL) {
            group = i;
            continue;
        }
        // Ties are ordered by index: the run's first is the earliest line.
        if (repeat < 0 || m_sorted[i] < repeat) {
            repeat = m_sorted[i];
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

int NameList::IndexOf(wchar_t const* text, int length) const {
    size_t low = 0;
    size_t high = m_sorted.size();
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        int order = CompareNoCase(m_names[static_cast<size_t>(m_sorted[mid])], text, length);
        if (order == CSTR_EQUAL) {
            return m_sorted[mid];
        }
        if (order == CSTR_LESS_THAN) {
            low = mid + 1;
        } else {
            high = mid;
        }
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
