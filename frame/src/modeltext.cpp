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

CString dateText(const char* format) {
    return CString(korvane::formatTime(format, korvane::clock().localNow()));
}

} // namespace frame
