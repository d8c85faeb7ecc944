#include "tests/support/remove_tree.h"
#include "file/file_helpers.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <vector>

namespace test {

namespace {

std::wstring TempRoot() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::wstring root(buf, n);
    if (!root.empty() && root.back() == L'\\') {
        root.pop_back();
    }
    return root;
}

std::wstring Prefix() {
    return L"ktora_file_" + std::to_wstring(GetCurrentProcessId()) + L"_";
}

// Fails the run when any test folder of this process is still on disk at the end.
class LeftoverCheck : public ::testing::Environment {
public:
    void TearDown() override {
        WIN32_FIND_DATAW fd;
        std::wstring pattern = TempRoot() + L"\\" + Prefix() + L"*";
        HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            FindClose(h);
            ADD_FAILURE() << "a test folder was left behind in %TEMP%";
        }
    }
};

const auto* const g_check = ::testing::AddGlobalTestEnvironment(new LeftoverCheck);

} // namespace

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::wstring path = TempRoot() + L"\\" + Prefix() + std::to_wstring(++counter);
    if (CreateDirectoryW(path.c_str(), nullptr)) {
        m_path = path;
    }
}

TempDir::~TempDir() {
    if (!m_path.empty()) {
        // The long form, so that folders deeper than MAX_PATH go too.
        EXPECT_TRUE(RemoveTree(L"\\\\?\\" + m_path)) << "could not remove the test folder";
    }
}

bool RemoveTree(const std::wstring& path) {
    return testsupport::RemoveTree(path);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD put = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    return ok && put == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) {
        out.append(buf, got);
    }
    CloseHandle(h);
    return out;
}

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace test
