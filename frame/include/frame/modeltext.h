// Model-text conventions: CR LF lines appended to the host's string, dates in English.
#pragma once

#include "platform/cstring.h"

#include <initializer_list>

namespace frame {

// Appends each text followed by CR LF.
void appendLines(CString& text, std::initializer_list<const char*> lines);
// The banner box most texts open with, each line ended by CR LF: the title rule, a blank box line, the
// model's title line, the company and version lines, the tab line, a blank box line and the closing rule.
CString banner(const char* titleRule, const char* titleLine);
// The current local date and time formatted with a strftime format, English names.
CString dateText(const char* format);

} // namespace frame
