#include "ktora/file/C_Find.h"

#include <io.h>
#include <wchar.h>

#include <memory>
#include <new>
#include <string>

#include <windows.h>

namespace ktora {

C_Find::C_Find() : m_nCount(0), m_pCursor(nullptr), m_nFlag(0) {}

C_Find::~C_Find() {
    Cleanup();
}

int C_Find::SetVtlDir(const C_WString& dir) {
    if (dir.Empty()) {
        return 0;
    }
    // Asked of the file system directly instead of entering the folder: changing the
    // process-wide current directory, even for a moment, moves relative paths under every
    // other thread, and a failed change back would leave the process in the wrong folder.
    DWORD attr = GetFileAttributesW(dir.GetString());
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return 0;
    }
    m_strVtlDir = dir;
    return 1;
}

C_WString C_Find::GetVtlDir() {
    return m_strVtlDir;
}

int C_Find::Start(const C_WString& pattern, int useVtlDir) {
    if (m_Anchor.next != nullptr) {
        return 0;
    }
    try {
        std::wstring path;
        if (useVtlDir != 0 && !m_strVtlDir.Empty()) {
            path.assign(m_strVtlDir.GetString(), static_cast<size_t>(m_strVtlDir.Length()));
            const wchar_t last = path.back();
            if (last != L'\\' && last != L'/') {
                path += L'\\';
            }
        }
        path.append(pattern.GetString(), static_cast<size_t>(pattern.Length()));

        struct _wfinddata64_t data;
        intptr_t h = _wfindfirst64(path.c_str(), &data);
        if (h == -1) {
            return 0;
        }
        tag_FindStr* tail = &m_Anchor;
        int count = 0;
        do {
            if (wcscmp(data.name, L".") == 0 || wcscmp(data.name, L"..") == 0) {
                continue;
            }
            std::unique_ptr<tag_FindStr> node(new (std::nothrow) tag_FindStr);
            if (!node) {
                break;
            }
            node->info.name = data.name;
            node->info.attrib = data.attrib;
            node->info.size = data.size;
            node->info.time_create = data.time_create;
            node->info.time_write = data.time_write;
            node->info.time_access = data.time_access;
            tail->next = node.release();
            tail = tail->next;
            ++count;
        } while (_wfindnext64(h, &data) == 0);
        _findclose(h);
        m_nCount = count;
        return 1;
    } catch (...) {
        End();
        return 0;
    }
}

int C_Find::End() {
    tag_FindStr* node = m_Anchor.next;
    if (node == nullptr) {
        m_nCount = 0;
        m_pCursor = nullptr;
        return 0;
    }
    while (node != nullptr) {
        tag_FindStr* next = node->next;
        delete node;
        node = next;
    }
    m_Anchor.next = nullptr;
    m_nCount = 0;
    m_pCursor = nullptr;
    return 1;
}

int C_Find::Cleanup() {
    m_nFlag = 0;
    return End();
}

int C_Find::GetFindCount() const {
    return m_nCount;
}

tag_FindInfo* C_Find::GetFindInfoFirst() {
    m_pCursor = m_Anchor.next;
    return m_pCursor != nullptr ? &m_pCursor->info : nullptr;
}

tag_FindInfo* C_Find::GetFindInfoNext() {
    if (m_pCursor == nullptr) {
        return nullptr;
    }
    // The cursor stays on the last entry, so every later call keeps answering null.
    if (m_pCursor->next == nullptr) {
        return nullptr;
    }
    m_pCursor = m_pCursor->next;
    return &m_pCursor->info;
}

C_Find::tag_FindStr* C_Find::_GetFindInfo(int& index) const {
    if (index < 0) {
        return nullptr;
    }
    tag_FindStr* node = m_Anchor.next;
    for (int i = 0; node != nullptr && i < index; ++i) {
        node = node->next;
    }
    return node;
}

C_Find::tag_FindStr* C_Find::_GetFindInfo(const C_WString& name) const {
    if (name.Empty()) {
        return nullptr;
    }
    for (tag_FindStr* node = m_Anchor.next; node != nullptr; node = node->next) {
        if (node->info.name == name) {
            return node;
        }
    }
    return nullptr;
}

int C_Find::Serch(const C_WString& name) {
    return _GetFindInfo(name) != nullptr ? 1 : 0;
}

C_WString C_Find::GetName(int index) {
    tag_FindStr* node = _GetFindInfo(index);
    return node != nullptr ? node->info.name : C_WString();
}

int C_Find::GetAttrib(int index) {
    tag_FindStr* node = _GetFindInfo(index);
    return node != nullptr ? static_cast<int>(node->info.attrib) : -1;
}

int C_Find::GetAttrib(const C_WString& name) {
    tag_FindStr* node = _GetFindInfo(name);
    return node != nullptr ? static_cast<int>(node->info.attrib) : -1;
}

__int64 C_Find::GetSize(int index) const {
    tag_FindStr* node = _GetFindInfo(index);
    return node != nullptr ? node->info.size : -1;
}

__int64 C_Find::GetSize(const C_WString& name) const {
    tag_FindStr* node = _GetFindInfo(name);
    return node != nullptr ? node->info.size : -1;
}

int C_Find::GetFindInfo(tag_FindInfo* out, int index) const {
    tag_FindStr* node = _GetFindInfo(index);
    if (out == nullptr || node == nullptr) {
        return 0;
    }
    *out = node->info;
    return 1;
}

int C_Find::GetFindInfo(tag_FindInfo* out, const C_WString& name) const {
    tag_FindStr* node = _GetFindInfo(name);
    if (out == nullptr || node == nullptr) {
        return 0;
    }
    *out = node->info;
    return 1;
}

} // namespace ktora
