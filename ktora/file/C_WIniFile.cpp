#include "ktora/file/C_WIniFile.h"

namespace ktora {

C_WIniFile::C_WIniFile() = default;
C_WIniFile::C_WIniFile(const C_WString& name) : C_IniFileT<wchar_t>(name) {}
C_WIniFile::~C_WIniFile() = default;

} // namespace ktora
