#pragma once

#include "ktora/file/I_Mapping.h"

namespace ktora {

// A file opened for mapping. Flags are the runtime's open flags: 0x0001 write, 0x0002
// read-write, 0x0008 append, 0x0100 create, 0x0200 truncate, 0x0400 exclusive.
class C_MappingFile : public I_Mapping {
public:
    C_MappingFile();
    virtual ~C_MappingFile();

    C_MappingFile(const C_MappingFile&) = delete;
    C_MappingFile& operator=(const C_MappingFile&) = delete;

    int Open(const wchar_t* name, unsigned long flags);
    int IsOpen() const;
    int Close() override;
    int GetSize(unsigned long* low, unsigned long* high) const override;
    unsigned long GetMode() const override;
    HANDLE GetHandle() const override;

private:
    HANDLE m_hFile;
    unsigned long m_dwMode;
};

} // namespace ktora
