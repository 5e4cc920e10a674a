// Where the log file lives, and appending to it.
#pragma once

#include <string>

namespace zembric {

// The folder of the program file: its path up to and including the last '/' (or '\'), else up to
// its ':'; empty when there is neither.
std::string ProgramFolder(const std::string& modulePath);

// "Zembric.log" in the temporary folder (TMPDIR, else /tmp), or in programFolder when there is no
// usable temporary folder.
std::string LogFilePath(const std::string& programFolder);

// Appends one line and "\r\n" to the file, creating it if needed. Best effort: returns false on any
// error and never throws.
bool AppendLogLine(const std::string& path, const std::string& line);

} // namespace zembric
