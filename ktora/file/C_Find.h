#pragma once

#include "ktora/file/tag_FindInfo.h"
#include "ktora/string/C_WString.h"

namespace ktora {

// Lists the entries of one folder that match a wildcard pattern and answers questions about
// them by position or by name. The virtual folder (SetVtlDir) is checked to be an existing
// folder and is put in front of later patterns on request.
//
// Contract: 1 done, 0 not; lookups that find nothing answer -1 (attributes, sizes) or an
// empty name. Returned tag_FindInfo pointers belong to the finder and live until the next
// Start or End. "Serch" (sic) answers 1 when the name is in the list. Not thread-safe.
class C_Find {
public:
    C_Find();
    virtual ~C_Find();

    C_Find(const C_Find&) = delete;
    C_Find& operator=(const C_Find&) = delete;

    int SetVtlDir(const C_WString& dir);
    C_WString GetVtlDir();

    int Start(const C_WString& pattern, int useVtlDir);
    int End();

    int GetFindCount() const;
    tag_FindInfo* GetFindInfoFirst();
    tag_FindInfo* GetFindInfoNext();

    int Serch(const C_WString& name);
    C_WString GetName(int index);
    int GetAttrib(int index);
    int GetAttrib(const C_WString& name);
    __int64 GetSize(int index) const;
    __int64 GetSize(const C_WString& name) const;
    int GetFindInfo(tag_FindInfo* out, int index) const;
    int GetFindInfo(tag_FindInfo* out, const C_WString& name) const;

protected:
    struct tag_FindStr {
        tag_FindInfo info;
        tag_FindStr* next = nullptr;
    };

    int Cleanup();
    tag_FindStr* _GetFindInfo(int& index) const;
    tag_FindStr* _GetFindInfo(const C_WString& name) const;

private:
    tag_FindStr m_Anchor; // its link is the head of the list
    int m_nCount;
    tag_FindStr* m_pCursor;
    C_WString m_strVtlDir;
    int m_nFlag;
};

} // namespace ktora
