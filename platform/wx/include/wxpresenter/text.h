// The model's texts are UTF-8; the toolkit's strings are converted in one place.
#pragma once

#include "platform/cstring.h"

#include <wx/string.h>

#include <string>

namespace korvane::wx {

inline wxString u8(const CString& s) {
    return wxString::FromUTF8(s.GetString());
}
inline wxString u8(const std::string& s) {
    return wxString::FromUTF8(s.c_str());
}

} // namespace korvane::wx
