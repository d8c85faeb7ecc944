#include "ktora/system/ktora_GetOsVersion.h"

#include <vector>

namespace ktora {
namespace common {

namespace {

struct ProductName {
    DWORD type;
    wchar_t const* name;
};

const ProductName kProducts[] = {
    {1, L"PRODUCT_ULTIMATE"},
    {2, L"PRODUCT_HOME_BASIC"},
    {3, L"PRODUCT_HOME_PREMIUM"},
    {4, L"PRODUCT_ENTERPRISE"},
    {5, L"PRODUCT_HOME_BASIC_N"},
    {6, L"PRODUCT_BUSINESS"},
    {7, L"PRODUCT_STANDARD_SERVER"},
    {8, L"PRODUCT_DATACENTER_SERVER"},
    {9, L"PRODUCT_SMALLBUSINESS_SERVER"},
    {10, L"PRODUCT_ENTERPRISE_SERVER"},
    {11, L"PRODUCT_STARTER"},
    {12, L"PRODUCT_DATACENTER_SERVER_CORE"},
    {13, L"PRODUCT_STANDARD_SERVER_CORE"},
    {14, L"PRODUCT_ENTERPRISE_SERVER_CORE"},
    {15, L"PRODUCT_ENTERPRISE_SERVER_IA64"},
    {16, L"PRODUCT_BUSINESS_N"},
    {17, L"PRODUCT_WEB_SERVER"},
    {18, L"PRODUCT_CLUSTER_SERVER"},
    {19, L"PRODUCT_HOME_SERVER"},
    {20, L"PRODUCT_STORAGE_EXPRESS_SERVER"},
    {21, L"PRODUCT_STORAGE_STANDARD_SERVER"},
    {22, L"PRODUCT_STORAGE_WORKGROUP_SERVER"},
    {23, L"PRODUCT_STORAGE_ENTERPRISE_SERVER"},
    {24, L"PRODUCT_SERVER_FOR_SMALLBUSINESS"},
    {25, L"PRODUCT_SMALLBUSINESS_SERVER_PREMIUM"},
    {0xABCDABCD, L"PRODUCT_UNLICENSED"},
};

using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

// GetProductInfo exists from Vista on; older systems must still load this module.
GetProductInfoFn LookUpGetProductInfo() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    wchar_t const name[] = L"GetProductInfo";
    int units = static_cast<int>(sizeof name / sizeof name[0]) - 1;
    std::vector<char> narrow(static_cast<size_t>(units) * 2 + 1, '\0');
    int bytes = WideCharToMultiByte(CP_ACP, 0, name, units, narrow.data(),
                                    static_cast<int>(narrow.size()), nullptr, nullptr);
    if (kernel == nullptr || bytes == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    narrow[static_cast<size_t>(bytes)] = '\0';
    return reinterpret_cast<GetProductInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, narrow.data())));
}

void SetName(C_WString* name, C_WString const& text) {
    if (name != nullptr) {
        *name = text.GetString();
    }
}

} // namespace

C_WString ktora_ProductTypeName(DWORD productType) {
    for (ProductName const& p : kProducts) {
        if (p.type == productType) {
            return C_WString(p.name);
        }
    }
    return C_WString::Stringf(L"Unknown(%d)", static_cast<int>(productType));
}

int ktora_ClassifyOsVersion(OSVERSIONINFOW const& info, bool hasProduct, DWORD productType,
                            C_WString* name) {
    DWORD major = info.dwMajorVersion;
    DWORD minor = info.dwMinorVersion;
    bool spaceSp = info.szCSDVersion[0] == L' ';
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        SetName(name, L"Windows 3.1");
        return 0;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major == 4) {
            if (minor == 0) {
                SetName(name, spaceSp ? L"Windows 95 OSR2" : L"Windows 95");
                return spaceSp ? 2 : 1;
            }
            if (minor == 10) {
                SetName(name, spaceSp ? L"Windows 98 Second Edition" : L"Windows 98");
                return spaceSp ? 4 : 3;
            }
            if (minor == 90) {
                SetName(name, L"Windows Me");
                return 5;
            }
            SetName(name, L"Windows 98 Later");
            return 3;
        }
        SetName(name, C_WString::Stringf(L"Windows %d.%d", static_cast<int>(major),
                                         static_cast<int>(minor)));
        return 13;
    case VER_PLATFORM_WIN32_NT:
        if (major == 5) {
            if (minor == 0) {
                SetName(name, L"Windows 2000");
                return 7;
            }
            if (minor == 1) {
                SetName(name, L"Windows XP");
                return 8;
            }
            if (minor == 2) {
                SetName(name, L"Windows Server 2003");
                return 9;
            }
            SetName(name, C_WString::Stringf(L"Windows NT %d%d", 5, static_cast<int>(minor)));
            return 6;
        }
        if (major == 6) {
            wchar_t const* base =
                minor == 0 ? L"Windows Vista" : (minor == 1 ? L"Windows 7" : L"Windows 7 Later");
            if (hasProduct) {
                SetName(name, C_WString::Stringf(L"%ls %ls", base,
                                                 ktora_ProductTypeName(productType).GetString()));
            } else {
                SetName(name, base);
            }
            return minor == 0 ? 10 : 11;
        }
        SetName(name, C_WString::Stringf(L"Windows NT %d%d", static_cast<int>(major),
                                         static_cast<int>(minor)));
        return 6;
    default:
        SetName(name, L"Unknown OS");
        return 13;
    }
}

int ktora_GetOsVersion(C_WString* name) {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) {
        return -1;
    }
    bool hasProduct = false;
    DWORD productType = 0;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 6) {
        if (GetProductInfoFn getProductInfo = LookUpGetProductInfo()) {
            OSVERSIONINFOEXW ex = {};
            ex.dwOSVersionInfoSize = sizeof ex;
            if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)) &&
                getProductInfo(ex.dwMajorVersion, ex.dwMinorVersion, ex.wServicePackMajor,
                               ex.wServicePackMinor, &productType)) {
                hasProduct = true;
            }
        }
    }
    return ktora_ClassifyOsVersion(info, hasProduct, productType, name);
}

} // namespace common
} // namespace ktora
