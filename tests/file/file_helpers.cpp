#include "file/file_helpers.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace test {

namespace {

// Fails the run when any scratch folder of this process is still on disk at the end.
class LeftoverCheck : public ::testing::Environment {
public:
    void TearDown() override {
        WIN32_FIND_DATAW fd;
        std::wstring pattern = testsupport::TempDir::Prefix() + L"*";
        HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            FindClose(h);
            ADD_FAILURE() << "a test folder was left behind in %TEMP%";
        }
    }
};

const auto* const g_check = ::testing::AddGlobalTestEnvironment(new LeftoverCheck);

} // namespace

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace test
