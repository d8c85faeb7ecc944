#pragma once

#include "ktora/file/I_Mapping.h"

namespace ktora {

// A mapping object made over a source and one view of it. The source is not owned and must
// outlive the view; Unmap(1) also closes it. Map answers the view's address (owned by this
// object, valid until Unmap) or null. Not thread-safe.
class C_Mapping {
public:
    C_Mapping();
    virtual ~C_Mapping();

    C_Mapping(const C_Mapping&) = delete;
    C_Mapping& operator=(const C_Mapping&) = delete;

    void* Map(I_Mapping* source, const wchar_t* name, int shared, unsigned long protect,
              unsigned long sizeHigh, unsigned long sizeLow);
    void* Map(I_Mapping* source, const wchar_t* name, int shared);
    void* Pointer();
    int IsExistMap() const;
    int Sync();
    void Unmap(int closeSource);

private:
    I_Mapping* m_pSource;
    void* m_pView;
    int m_bExist;
    HANDLE m_hMap;
};

} // namespace ktora
