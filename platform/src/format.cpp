#include "platform/format.h"

#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <vector>

namespace korvane {

namespace {

std::string vprintfPiece(const char* spec, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, spec, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), spec, args);
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string printfPiece(const char* spec, ...) {
    va_list args;
    va_start(args, spec);
    std::string s = vprintfPiece(spec, args);
    va_end(args);
    return s;
}

// Pads a converted number to the field width the way printf would have.
std::string pad(std::string body, int width, bool left, bool zero) {
    if (width <= 0 || static_cast<int>(body.size()) >= width) return body;
    size_t fill = static_cast<size_t>(width) - body.size();
    if (left) return body + std::string(fill, ' ');
    if (zero) {
        size_t at = 0;
        if (!body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ')) at = 1;
        if (body.size() > at + 1 && body[at] == '0' && (body[at + 1] == 'x' || body[at + 1] == 'X')) at += 2;
        if (at < body.size() && std::isdigit(static_cast<unsigned char>(body[at])))
            return body.insert(at, fill, '0');
    }
    return std::string(fill, ' ') + body;
}

} // namespace

std::string widenExponent(const std::string& number) {
    size_t e = number.find_first_of("eE");
    if (e == std::string::npos || e + 1 >= number.size()) return number;
    // Only a real exponent: "e", a sign, then digits to the end (not "inf" or "nan" texts).
    size_t sign = e + 1;
    if (number[sign] != '+' && number[sign] != '-') return number;
    size_t digits = number.size() - (sign + 1);
    if (digits == 0 || digits >= 3) return number;
    for (size_t i = sign + 1; i < number.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(number[i]))) return number;
    std::string out = number;
    out.insert(sign + 1, 3 - digits, '0');
    return out;
}

std::string vformat(const char* fmt, va_list args) {
    std::string out;
    va_list ap;
    va_copy(ap, args);
    const char* p = fmt;
    while (*p) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        bool left = false, zero = false;
        std::string flags;
        while (*p && std::strchr("-+ #0'", *p)) {
            if (*p == '-') left = true;
            if (*p == '0') zero = true;
            flags += *p++;
        }
        int width = -1;
        bool widthStar = false;
        if (*p == '*') {
            widthStar = true;
            ++p;
        } else if (std::isdigit(static_cast<unsigned char>(*p))) {
            width = 0;
            while (std::isdigit(static_cast<unsigned char>(*p)))
                width = width * 10 + (*p++ - '0');
        }
        std::string precision;
        if (*p == '.') {
            precision += *p++;
            if (*p == '*') {
                precision += *p++;
            } else {
                while (std::isdigit(static_cast<unsigned char>(*p)))
                    precision += *p++;
            }
        }
        std::string length;
        while (*p && std::strchr("hlLqjzt", *p))
            length += *p++;
        char conv = *p;
        if (!conv) {
            out.append(start, p);
            break;
        }
        ++p;
        if (widthStar) {
            width = va_arg(ap, int);
            if (width < 0) {
                left = true;
                width = -width;
            }
        }
        int prec = -1;
        bool precStar = precision == ".*";
        if (precStar) prec = va_arg(ap, int);

        // Each conversion is formatted without its width; padding comes last so that a widened
        // exponent still honours the width.
        std::string spec = "%" + flags;
        if (precStar) {
            spec += prec >= 0 ? "." + std::to_string(prec) : "";
        } else {
            spec += precision;
        }
        spec += length;
        spec += conv;
        std::string piece;
        switch (conv) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
        case 'c':
            if (length == "ll" || length == "q" || length == "j")
                piece = printfPiece(spec.c_str(), va_arg(ap, long long));
            else if (length == "l" || length == "z" || length == "t")
                piece = printfPiece(spec.c_str(), va_arg(ap, long));
            else
                piece = printfPiece(spec.c_str(), va_arg(ap, int));
            break;
        case 'e':
        case 'E':
        case 'g':
        case 'G':
            if (length == "L")
                piece = widenExponent(printfPiece(spec.c_str(), va_arg(ap, long double)));
            else
                piece = widenExponent(printfPiece(spec.c_str(), va_arg(ap, double)));
            break;
        case 'f':
        case 'F':
        case 'a':
        case 'A':
            if (length == "L")
                piece = printfPiece(spec.c_str(), va_arg(ap, long double));
            else
                piece = printfPiece(spec.c_str(), va_arg(ap, double));
            break;
        case 's': {
            const char* s = va_arg(ap, const char*);
            piece = printfPiece(spec.c_str(), s ? s : "(null)");
            break;
        }
        case 'p':
            piece = printfPiece(spec.c_str(), va_arg(ap, void*));
            break;
        default:
            // Unknown conversion: copy it as text rather than guess at the argument list.
            out.append(start, p);
            continue;
        }
        bool numeric = conv != 's' && conv != 'c' && conv != 'p';
        out += pad(std::move(piece), width, left, zero && numeric && !left);
    }
    va_end(ap);
    return out;
}

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = vformat(fmt, args);
    va_end(args);
    return s;
}

std::string formatTime(const char* fmt, const std::tm& when) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    std::vector<char> buf(256);
    for (int tries = 0; tries < 8; ++tries) {
        size_t n = strftime_l(buf.data(), buf.size(), fmt, &when, cLocale);
        if (n > 0 || *fmt == '\0') return std::string(buf.data(), n);
        buf.resize(buf.size() * 4);
    }
    return {};
}

} // namespace korvane
