#pragma once

#include <windows.h>

namespace ktora {

// A source that a mapping can be created over: a file or the paging file.
class I_Mapping {
public:
    virtual ~I_Mapping() {}
    virtual int Close() = 0;
    virtual int GetSize(unsigned long* low, unsigned long* high) const = 0;
    virtual unsigned long GetMode() const = 0;
    virtual HANDLE GetHandle() const = 0;
};

} // namespace ktora
