// The programs of the release carry their version and their manifest, and the system accepts
// the manifest: common controls 6, per-monitor DPI awareness, no elevation.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/batch_runner.h"
#include "app/version.h"

namespace {

std::wstring BinFile(wchar_t const* name) {
    std::wstring batch = batch_test::BatchExe();
    return batch.substr(0, batch.find_last_of(L'\\') + 1) + name;
}

// GetProcAddress's generic pointer to the real function type, through void (*)() as the
// compiler asks.
template <class Fn> Fn Proc(HMODULE module, char const* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string Manifest(std::wstring const& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return std::string();
    }
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded) {
        text.assign(static_cast<char const*>(LockResource(loaded)), SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

// version.dll is loaded by hand: the test programs link no more than the library needs.
std::wstring VersionString(std::wstring const& exe, wchar_t const* name, VS_FIXEDFILEINFO* fixed) {
    HMODULE version = LoadLibraryW(L"version.dll");
    if (version == nullptr) {
        return L"(no version.dll)";
    }
    using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    auto size = Proc<SizeFn>(version, "GetFileVersionInfoSizeW");
    auto info = Proc<InfoFn>(version, "GetFileVersionInfoW");
    auto query = Proc<QueryFn>(version, "VerQueryValueW");
    std::wstring result;
    DWORD handle = 0;
    DWORD bytes = size && info && query ? size(exe.c_str(), &handle) : 0;
    std::vector<char> block(bytes);
    if (bytes && info(exe.c_str(), 0, bytes, block.data())) {
        void* value = nullptr;
        UINT length = 0;
        std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        if (query(block.data(), path.c_str(), &value, &length) && length > 0) {
            result = static_cast<wchar_t const*>(value);
        }
        if (query(block.data(), L"\\", &value, &length) && length >= sizeof(*fixed)) {
            *fixed = *static_cast<VS_FIXEDFILEINFO*>(value);
        }
    }
    FreeLibrary(version);
    return result;
}

} // namespace

TEST(Release, BothProgramsCarryVersionAndManifest) {
    for (wchar_t const* name : {L"Kasumido.exe", L"kasumido-batch.exe"}) {
        std::wstring exe = BinFile(name);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(exe.c_str()))
            << batch_test::Sjis(exe);
        VS_FIXEDFILEINFO fixed = {};
        EXPECT_EQ(std::wstring(name), VersionString(exe, L"OriginalFilename", &fixed));
        EXPECT_EQ(std::wstring(L"" KASUMIDO_VERSION_TEXT),
                  VersionString(exe, L"FileVersion", &fixed));
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(KASUMIDO_VERSION_MINOR, KASUMIDO_VERSION_MAJOR)),
                  fixed.dwFileVersionMS);

        std::string manifest = Manifest(exe);
        for (char const* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                                 "PerMonitorV2", "true/pm", "level=\"asInvoker\""}) {
            EXPECT_NE(std::string::npos, manifest.find(part))
                << batch_test::Sjis(name) << ": " << part;
        }
    }
}

TEST(Release, TheSystemResolvesTheManifestToCommonControlsSix) {
    std::wstring exe = BinFile(L"Kasumido.exe");
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = exe.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE actctx = CreateActCtxW(&context);
    ASSERT_NE(INVALID_HANDLE_VALUE, actctx) << "manifest refused, error " << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(actctx, &cookie));
    // Inside the program's context, comctl32 comes from the version 6 assembly. (Wine's copy
    // there answers DllGetVersion with major version 5 like its plain one, so the path is what
    // tells.)
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    std::wstring loaded(path);
    for (wchar_t& c : loaded) {
        c = static_cast<wchar_t>(towlower(c));
    }
    EXPECT_NE(std::wstring::npos,
              loaded.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."))
        << batch_test::Sjis(path);
    FreeLibrary(comctl);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(actctx);
}
