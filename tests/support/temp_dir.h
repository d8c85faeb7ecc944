#pragma once
// A fresh scratch folder under %TEMP% for one test, removed with everything in it (read-only,
// hidden and deeper-than-MAX_PATH entries included) when the object goes. Shared by every test
// program; the folder name carries the process id and a counter, so that tests running side by
// side never meet.
#include <windows.h>

#include <atomic>
#include <string>

#include "tests/support/remove_tree.h"

namespace testsupport {

class TempDir {
public:
    explicit TempDir(std::wstring const& tag = L"ktora_test") {
        static std::atomic<int> counter{0};
        m_path = Prefix(tag) + std::to_wstring(counter.fetch_add(1));
        RemoveTree(LongPath(m_path)); // a leftover of an earlier process with the same id
        m_ok = CreateDirectoryW(m_path.c_str(), nullptr) != 0;
    }
    ~TempDir() { RemoveTree(LongPath(m_path)); }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    // Whether the folder was made.
    bool Ok() const { return m_ok; }
    std::wstring const& Path() const { return m_path; }
    // A name inside the folder ("a\\b" for deeper ones).
    std::wstring Path(std::wstring const& name) const { return m_path + L"\\" + name; }
    std::wstring operator/(std::wstring const& name) const { return Path(name); }

    // What the folders of this process made with `tag` start with: "%TEMP%\<tag>_<pid>_".
    static std::wstring Prefix(std::wstring const& tag = L"ktora_test") {
        wchar_t buffer[MAX_PATH + 1] = {};
        DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
        std::wstring root(buffer, n <= MAX_PATH ? n : 0);
        if (!root.empty() && root.back() == L'\\') {
            root.pop_back();
        }
        return root + L"\\" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_";
    }

private:
    static std::wstring LongPath(std::wstring const& path) { return L"\\\\?\\" + path; }

    std::wstring m_path;
    bool m_ok = false;
};

} // namespace testsupport
