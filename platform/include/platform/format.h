// Number and date formatting shared by every deliverable.
//
// printf-style formatting whose e-style numbers (%e, %E, %g, %G) always carry a signed exponent of at
// least three digits (1.000e+003), as the suite's files and model texts have always shown them, and
// whose date names are English whatever the locale.
#pragma once

#include <cstdarg>
#include <ctime>
#include <string>

namespace korvane {

// Formats like snprintf, with the three-digit exponent rule. Never truncates.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list args);

// Widens the exponent of one already formatted e-style number ("1.5e+03" -> "1.5e+003"); anything
// without an exponent is returned unchanged.
std::string widenExponent(const std::string& number);

// strftime with English weekday and month names, whatever the process locale.
std::string formatTime(const char* fmt, const std::tm& when);

} // namespace korvane
