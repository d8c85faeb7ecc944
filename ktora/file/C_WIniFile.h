#pragma once

#include "ktora/file/C_IniFileT.h"

namespace ktora {

// Settings file in UTF-16 little endian: keys and values are C_WString.
class C_WIniFile : public C_IniFileT<wchar_t> {
public:
    C_WIniFile();
    explicit C_WIniFile(const C_WString& name);
    ~C_WIniFile() override;
};

} // namespace ktora
