// CString: the framework's text type, UTF-8 inside. Host and plug-ins share this one implementation
// (it lives in the platform's shared library), so a string filled by a plug-in is safely owned by the
// host.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
  public:
    CString() = default;
    CString(const char* s) : s_(s ? s : "") {}
    CString(std::string s) : s_(std::move(s)) {}
    CString(std::string_view s) : s_(s) {}
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* s) {
        s_ = s ? s : "";
        return *this;
    }
    ~CString();

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty();
    const char* GetString() const { return s_.c_str(); }
    operator const char*() const { return s_.c_str(); }
    const std::string& str() const { return s_; }
    char GetAt(int i) const { return s_.at(static_cast<size_t>(i)); }

    CString& operator+=(const CString& o);
    CString& operator+=(const char* s);
    CString& operator+=(char c);
    friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.s_ + (b ? b : "")); }
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char* b) { return a.s_ == (b ? b : ""); }

    // printf-style, with the suite's three-digit exponents.
    void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    int Find(char c, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    CString Left(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int n) const;
    CString Right(int n) const;
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim();
    CString& MakeUpper();
    CString& MakeLower();
    int CompareNoCase(const char* other) const;

  private:
    std::string s_;
};
