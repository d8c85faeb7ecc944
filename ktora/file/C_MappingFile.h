#pragma once

#include "ktora/file/I_Mapping.h"

namespace ktora {

// A file opened for mapping. Flags are the C runtime's open flags (<fcntl.h>): _O_WRONLY,
// _O_RDWR, _O_APPEND, _O_CREAT, _O_TRUNC, _O_EXCL; any other bit is ignored.
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
