#pragma once

#include "ktora/file/C_IniFileT.h"

namespace ktora {

// Settings file in the system code page: keys and values are C_String.
class C_IniFile : public C_IniFileT<char> {
public:
    C_IniFile();
    explicit C_IniFile(const C_WString& name);
    ~C_IniFile() override;
};

} // namespace ktora
