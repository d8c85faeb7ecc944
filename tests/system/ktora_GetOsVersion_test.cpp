// The version table, row by row, and the real query on this platform.
#include <gtest/gtest.h>
#include <windows.h>

#include "ktora/system/ktora_GetOsVersion.h"

using ktora::C_WString;
using ktora::common::ktora_ClassifyOsVersion;

namespace {

struct Row {
    DWORD platform, major, minor;
    wchar_t const* csd;
    bool hasProduct;
    DWORD product;
    int code;
    wchar_t const* name;
};

} // namespace

TEST(OsVersion, EveryRowOfTheTable) {
    const Row rows[] = {
        {0, 3, 10, L"", false, 0, 0, L"Windows 3.1"},
        {1, 4, 0, L" C", false, 0, 2, L"Windows 95 OSR2"},
        {1, 4, 0, L"", false, 0, 1, L"Windows 95"},
        {1, 4, 10, L" A", false, 0, 4, L"Windows 98 Second Edition"},
        {1, 4, 10, L"A", false, 0, 3, L"Windows 98"},
        {1, 4, 90, L"", false, 0, 5, L"Windows Me"},
        {1, 4, 50, L"", false, 0, 3, L"Windows 98 Later"},
        {1, 5, 1, L"", false, 0, 13, L"Windows 5.1"},
        {2, 5, 0, L"", false, 0, 7, L"Windows 2000"},
        {2, 5, 1, L"Service Pack 3", false, 0, 8, L"Windows XP"},
        {2, 5, 2, L"", false, 0, 9, L"Windows Server 2003"},
        {2, 5, 3, L"", false, 0, 6, L"Windows NT 53"},
        {2, 6, 0, L"", false, 0, 10, L"Windows Vista"},
        {2, 6, 1, L"", true, 1, 11, L"Windows 7 PRODUCT_ULTIMATE"},
        {2, 6, 1, L"", true, 0xABCDABCD, 11, L"Windows 7 PRODUCT_UNLICENSED"},
        {2, 6, 2, L"", true, 48, 11, L"Windows 7 Later Unknown(48)"},
        {2, 6, 3, L"", false, 0, 11, L"Windows 7 Later"},
        {2, 10, 0, L"", true, 1, 6, L"Windows NT 100"},
        {2, 4, 0, L"", false, 0, 6, L"Windows NT 40"},
        {3, 1, 0, L"", false, 0, 13, L"Unknown OS"},
    };
    for (Row const& r : rows) {
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof info;
        info.dwPlatformId = r.platform;
        info.dwMajorVersion = r.major;
        info.dwMinorVersion = r.minor;
        wcscpy(info.szCSDVersion, r.csd);
        C_WString name(L"old");
        EXPECT_EQ(r.code, ktora_ClassifyOsVersion(info, r.hasProduct, r.product, &name))
            << r.platform << " " << r.major << "." << r.minor;
        EXPECT_STREQ(r.name, name.GetString());
        EXPECT_EQ(r.code, ktora_ClassifyOsVersion(info, r.hasProduct, r.product, nullptr));
    }
}

TEST(OsVersion, ProductNamesCoverTheSdkValues) {
    EXPECT_STREQ(L"PRODUCT_HOME_PREMIUM", ktora::common::ktora_ProductTypeName(3).GetString());
    EXPECT_STREQ(L"PRODUCT_SMALLBUSINESS_SERVER_PREMIUM",
                 ktora::common::ktora_ProductTypeName(25).GetString());
    EXPECT_STREQ(L"Unknown(26)", ktora::common::ktora_ProductTypeName(26).GetString());
}

TEST(OsVersion, TheRunningSystemIsNtBased) {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    C_WString name;
    int code = ktora::common::ktora_GetOsVersion(&name);
    EXPECT_GT(code, 5);
    EXPECT_FALSE(name.Empty());
    // The query's own numbers decide the row; the product part is the platform's.
    C_WString expected;
    EXPECT_EQ(ktora_ClassifyOsVersion(info, false, 0, &expected), code);
    EXPECT_EQ(0, wcsncmp(expected.GetString(), name.GetString(), expected.Length()))
        << "got " << name.ToString().GetString();
}
