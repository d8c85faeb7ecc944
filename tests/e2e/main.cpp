// kasumido_e2e <Kasumido.exe> <scenario> [arguments]: runs one end-to-end scenario; each is one
// CTest test, and `demo` serves `make run`.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ScenarioHelpers.h"

using namespace e2e;

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        printf("usage: kasumido_e2e <Kasumido.exe> <dialog|copy|rules|refusals|hundred|abort|"
               "close|profiles|demo ...>\n");
        return 2;
    }
    g_exe = argv[1];
    if (!g_exe.empty() && g_exe[0] == L'/') {
        // A Unix path from the build: Wine sees it through drive Z:.
        g_exe = L"Z:" + g_exe;
        for (auto& c : g_exe) {
            if (c == L'/') {
                c = L'\\';
            }
        }
    }
    std::wstring scenario = argv[2];
    std::vector<std::wstring> rest(argv + 2, argv + argc);
    const std::map<std::wstring, std::function<void()>> scenarios = {
        {L"dialog", ScenarioDialog},
        {L"copy", ScenarioCopy},
        {L"rules", ScenarioRules},
        {L"refusals", ScenarioRefusals},
        {L"hundred", ScenarioHundred},
        {L"abort", ScenarioAbort},
        {L"close", ScenarioClose},
        {L"profiles", ScenarioProfiles},
        {L"demo", [&] { ScenarioDemo(rest); }},
    };
    auto it = scenarios.find(scenario);
    if (it == scenarios.end()) {
        printf("unknown scenario\n");
        return 2;
    }
    DWORD start = GetTickCount();
    it->second();
    printf("%s: %s in %lu ms\n", Utf8(scenario).c_str(), g_failures == 0 ? "passed" : "FAILED",
           GetTickCount() - start);
    LocalFree(argv);
    return g_failures == 0 ? 0 : 1;
}
