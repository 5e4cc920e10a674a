#include "platform/cstring.h"

#include "platform/format.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

CString::~CString() = default;

void CString::Empty() {
    s_.clear();
}

CString& CString::operator+=(const CString& o) {
    s_ += o.s_;
    return *this;
}
CString& CString::operator+=(const char* s) {
    if (s) s_ += s;
    return *this;
}
CString& CString::operator+=(char c) {
    s_ += c;
    return *this;
}

void CString::Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    s_ = korvane::vformat(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    s_ += korvane::vformat(fmt, args);
    va_end(args);
}

namespace {
size_t clampIndex(int i, size_t size) {
    if (i < 0) return 0;
    return std::min(static_cast<size_t>(i), size);
}
} // namespace

int CString::Find(char c, int start) const {
    size_t at = s_.find(c, clampIndex(start, s_.size()));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}
int CString::Find(const char* sub, int start) const {
    size_t at = s_.find(sub ? sub : "", clampIndex(start, s_.size()));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}
CString CString::Left(int n) const {
    return CString(s_.substr(0, clampIndex(n, s_.size())));
}
CString CString::Mid(int first) const {
    return CString(s_.substr(clampIndex(first, s_.size())));
}
CString CString::Mid(int first, int n) const {
    size_t f = clampIndex(first, s_.size());
    return CString(s_.substr(f, clampIndex(n, s_.size() - f)));
}
CString CString::Right(int n) const {
    size_t k = clampIndex(n, s_.size());
    return CString(s_.substr(s_.size() - k));
}
CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < s_.size() && std::isspace(static_cast<unsigned char>(s_[i])))
        ++i;
    s_.erase(0, i);
    return *this;
}
CString& CString::TrimRight() {
    while (!s_.empty() && std::isspace(static_cast<unsigned char>(s_.back())))
        s_.pop_back();
    return *this;
}
CString& CString::Trim() {
    return TrimRight().TrimLeft();
}
CString& CString::MakeUpper() {
    for (auto& c : s_)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}
CString& CString::MakeLower() {
    for (auto& c : s_)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}
int CString::CompareNoCase(const char* other) const {
    return strcasecmp(s_.c_str(), other ? other : "");
}
