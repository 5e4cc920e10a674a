// The application: reads the command line, shows the usage message or runs the main dialog.
#pragma once

#include <string>
#include <vector>

class Presenter;

namespace zembric {

// Path of the running program file (falls back to fallback when the system cannot tell).
std::string ModulePath(const std::string& fallback);

// The help file: "KORVANE.HLP" in the program's own folder.
std::string HelpFilePath(const std::string& modulePath);

// Runs the program for args (args[0] is the program). A visible dialog is shown through
// visiblePresenter when one is given, else through the presenter in force; a hidden one is never shown.
// Exit status: 0 when the run succeeded, 1 when it failed, did not happen or the usage message was shown.
int RunProgram(const std::vector<std::string>& args, Presenter* visiblePresenter = nullptr);

} // namespace zembric
