// Model-text conventions: CR LF lines appended to the host's string, dates in English.
#pragma once

#include "platform/cstring.h"

#include <initializer_list>

namespace frame {

// Appends each text followed by CR LF.
void appendLines(CString& text, std::initializer_list<const char*> lines);
// The current local date and time formatted with a strftime format, English names.
CString dateText(const char* format);

} // namespace frame
