#include "ktora/file/C_IniFile.h"

namespace ktora {

C_IniFile::C_IniFile() = default;
C_IniFile::C_IniFile(const C_WString& name) : C_IniFileT<char>(name) {}
C_IniFile::~C_IniFile() = default;

} // namespace ktora
