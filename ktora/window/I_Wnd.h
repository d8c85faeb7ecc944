#pragma once

#include <windows.h>

namespace ktora {

// Anything that owns or stands for a window handle.
class I_Wnd {
public:
    virtual ~I_Wnd() = default;
    virtual HWND GetHWnd() const = 0;
};

} // namespace ktora
