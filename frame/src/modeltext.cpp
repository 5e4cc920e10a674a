#include "frame/modeltext.h"

#include "platform/clock.h"
#include "platform/format.h"

namespace frame {

void appendLines(CString& text, std::initializer_list<const char*> lines) {
    for (const char* l : lines) {
        text += l;
        text += "\r\n";
    }
}

CString banner(const char* titleRule, const char* titleLine) {
    CString text;
    appendLines(text, {titleRule, "*                                                           *", titleLine,
                       "*            Quolvane                                       *",
                       "*          SPICE MODEL MAKER TOOL  Version 1.1              *",
                       "*           \t\t\t\t\t\t    *",
                       "*                                                           *",
                       "*************************************************************"});
    return text;
}

CString dateText(const char* format) {
    return CString(korvane::formatTime(format, korvane::clock().localNow()));
}

} // namespace frame
