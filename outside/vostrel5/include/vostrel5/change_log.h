// The change log's text form, for writing logs (tests, demonstrations) and for the reader.
#pragma once

#include "platform/line_reader.h"

#include <string>
#include <vector>

namespace vostrel5 {

constexpr const char* kLogMagic = "vostrel5-change-log";
constexpr int kLogVersion = 1;

// Caps for reading a change log or a description of one: a record holds at most ten parameters the
// schematic program keeps to 80 characters each, so 64 KiB a line leaves ample room for escapes and
// unusual names; 64 MiB is over a million records, as for the item text format.
inline constexpr korvane::LineLimits kChangeLogLimits{64 * 1024, 64u << 20, "change log"};
inline constexpr korvane::LineLimits kDescriptionLimits{64 * 1024, 64u << 20, "description"};

struct LogRecord {
    int id = 0;
    bool withdrawn = false;
    std::vector<std::string> params;
};

// The layout program's names for its change kinds, by action id (0 has none).
const std::vector<std::string>& ChangeNames();
// The action id of a change name or of a decimal number; -1 when it is neither.
int ChangeId(const std::string& word);

// One field of a record line with tabs, line breaks and backslashes escaped.
std::string EscapeField(const std::string& text);
// The reverse; false on an unknown or unfinished escape.
bool UnescapeField(const std::string& field, std::string& text);

// A whole log: the version line, then one line per record, LF line ends.
std::string FormatLog(const std::vector<LogRecord>& records, int version = kLogVersion);

// Reads a plain description: one change per line, its name (or id) and its parameters as words;
// a word in double quotes may hold blanks (\" and \\ inside); "" is an empty parameter; a line
// starting with "!" is a withdrawn change; "#" starts a comment line. False with `error` naming the line.
bool ParseDescription(const std::string& text, std::vector<LogRecord>& records, std::string& error);

} // namespace vostrel5
