#include <windows.h>

#include "app/C_App.h"
#include "app/resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE prevInstance, wchar_t* cmdLine, int cmdShow) {
    // The one application object lives for the whole process; leaving this function destroys
    // it: the worker is waited for, then the dialog list is cleared.
    // Libraries loaded later come from the system folder, never from beside the program.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    C_App app(instance, prevInstance, cmdLine, cmdShow);
    if (!app.DialogModeLessExec(MAKEINTRESOURCEW(IDD_MAIN))) {
        return 1;
    }
    app.SetRunMode(ktora::C_MainWnd::kRunDialogLoop);
    return app.MainRun();
}
