// The application: reads the command line, shows the usage message or runs the rebuild.
#pragma once

#include <string>
#include <vector>

namespace zembric {

// Path of the running program file (falls back to fallback when the system cannot tell).
std::string ModulePath(const std::string& fallback);

// The help file: "KORVANE.HLP" in the program's own folder.
std::string HelpFilePath(const std::string& modulePath);

// Runs the program for args (args[0] is the program). Exit status: 0 when the run succeeded, 1 when
// it failed or the usage message was shown.
int RunProgram(const std::vector<std::string>& args);

} // namespace zembric
