#pragma once

#include "ktora/file/I_Mapping.h"

namespace ktora {

// A block of the paging file, usually named so that several processes share it.
class C_MappingMemory : public I_Mapping {
public:
    C_MappingMemory();
    virtual ~C_MappingMemory() {}

    int Open(unsigned long mode);
    void SetSize(unsigned long low, unsigned long high);
    int Close() override;
    int GetSize(unsigned long* low, unsigned long* high) const override;
    unsigned long GetMode() const override;
    HANDLE GetHandle() const override;

private:
    unsigned long m_dwMode;
    unsigned long m_dwSizeLow;
    unsigned long m_dwSizeHigh;
};

} // namespace ktora
