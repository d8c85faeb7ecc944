#include "ktora/window/C_DebugLines.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace ktora {

namespace {
// A lookup closer than this to the cached line walks from there.
constexpr int kCacheReach = 500;
} // namespace

C_DebugLines::~C_DebugLines() {
    Clear();
}

void C_DebugLines::Clear() {
    // One line at a time: a long list must not be freed by recursion.
    m_pLast = nullptr;
    while (m_pFirst) {
        std::unique_ptr<tag_DebugStr> next = std::move(m_pFirst->next);
        m_pFirst = std::move(next);
    }
    m_pCache = nullptr;
    m_nCache = -1;
    m_nCount = 0;
}

void C_DebugLines::AddLine(wchar_t const* text, size_t length) {
    auto node = std::make_unique<tag_DebugStr>();
    node->text.assign(text, length);
    node->prev = m_pLast;
    tag_DebugStr* added = node.get();
    if (m_pLast) {
        m_pLast->next = std::move(node);
    } else {
        m_pFirst = std::move(node);
    }
    m_pLast = added;
    ++m_nCount;
}

int C_DebugLines::Add(wchar_t const* text, bool split) {
    int const before = m_nCount;
    try {
        if (!split) {
            AddLine(text, wcslen(text));
            return m_nCount - before;
        }
        wchar_t const* start = text;
        wchar_t const* p = text;
        while (*p) {
            if (*p == L'\r' || *p == L'\n') {
                AddLine(start, static_cast<size_t>(p - start));
                if (p[0] == L'\r' && p[1] == L'\n') {
                    ++p;
                }
                ++p;
                start = p;
            } else {
                ++p;
            }
        }
        AddLine(start, static_cast<size_t>(p - start));
    } catch (std::bad_alloc const&) {
        // Out of memory: the rest of the text is lost, the lines kept so far stay.
    }
    return m_nCount - before;
}

wchar_t const* C_DebugLines::Get(int index) {
    if (!m_pFirst || index < 0 || index >= m_nCount) {
        return nullptr;
    }
    tag_DebugStr* node = nullptr;
    int diff = index - m_nCache;
    if (m_nCache >= 0 && m_pCache && diff < kCacheReach && diff > -kCacheReach) {
        node = m_pCache;
        for (; node && diff > 0; --diff) {
            node = node->next.get();
        }
        for (; node && diff < 0; ++diff) {
            node = node->prev;
        }
    } else if (index >= kCacheReach && m_nCount >= kCacheReach && index > m_nCount - kCacheReach) {
        node = m_pLast;
        for (int steps = m_nCount - 1 - index; node && steps > 0; --steps) {
            node = node->prev;
        }
    } else {
        node = m_pFirst.get();
        for (int steps = index; node && steps > 0; --steps) {
            node = node->next.get();
        }
    }
    if (!node) {
        return nullptr;
    }
    m_pCache = node;
    m_nCache = index;
    return node->text.c_str();
}

bool C_DebugLines::Row(int index, bool numbered, int tab, std::wstring& out) {
    wchar_t const* text = Get(index);
    if (!text) {
        return false;
    }
    try {
        out.clear();
        if (numbered) {
            out += std::to_wstring(index + 1);
            out += L' ';
        }
        for (wchar_t const* p = text; *p; ++p) {
            if (*p == L'\t') {
                if (tab > 0) {
                    out.append(static_cast<size_t>(tab), L' ');
                }
            } else {
                out += *p;
            }
        }
    } catch (std::bad_alloc const&) {
        return false;
    }
    return true;
}

size_t C_DebugLines::JoinedLength() const {
    size_t units = 0;
    for (tag_DebugStr const* node = m_pFirst.get(); node; node = node->next.get()) {
        units += node->text.size() + 2;
    }
    return units;
}

void C_DebugLines::JoinTo(wchar_t* out) const {
    for (tag_DebugStr const* node = m_pFirst.get(); node; node = node->next.get()) {
        std::memcpy(out, node->text.data(), node->text.size() * sizeof(wchar_t));
        out += node->text.size();
        *out++ = L'\r';
        *out++ = L'\n';
    }
    *out = L'\0';
}

} // namespace ktora
