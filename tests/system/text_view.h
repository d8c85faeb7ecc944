// What the text-utility tests compare: the units a string holds, embedded zeros included.
#pragma once

#include <string>

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"

namespace systest {

inline std::string str(const ktora::C_String& s) {
    return std::string(s.GetString(), static_cast<size_t>(s.Length()));
}

inline std::wstring wstr(const ktora::C_WString& s) {
    return std::wstring(s.GetString(), static_cast<size_t>(s.Length()));
}

// A narrow string holding exactly these bytes.
inline ktora::C_String bytes(const std::string& s) {
    ktora::C_String out;
    if (!s.empty())
        out.SetBytes(s.data(), 0, static_cast<int>(s.size()), static_cast<int>(s.size()));
    return out;
}

} // namespace systest
