// Zembric's command line: the database path, eight code lists, stop-on-error and visibility.
#pragma once

#include <string>
#include <vector>

namespace zembric {

struct RunSettings {
    std::string dbPath;                                                 // argument 1
    std::string keepAccess, keepVersion, keepManufacturer, keepAccess2; // arguments 2 to 5
    std::string dropAccess, dropVersion, dropManufacturer, dropAccess2; // arguments 6 to 9
    std::string argument10;                                             // kept, not used by the run
    bool stopOnError = true;                                            // unless argument 11 begins with 1
    bool visible = true;                                                // unless argument 12 begins with 0
};

// Reads the arguments (args[0] is the program). Returns false when the usage message is due: fewer
// than two arguments, an empty database path, or nothing at all in arguments 2 to 10.
bool ParseCommandLine(const std::vector<std::string>& args, RunSettings& out);

// The same command line asking for a hidden run (argument 12 set to "0", missing ones left empty).
std::vector<std::string> HiddenArguments(std::vector<std::string> args);

} // namespace zembric
