#include "app.h"

#include "command_line.h"
#include "console_view.h"
#include "log.h"
#include "run.h"
#include "string_table.h"

#include <climits>
#include <unistd.h>

namespace zembric {

std::string ModulePath(const std::string& fallback) {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return fallback;
    return std::string(buf, static_cast<size_t>(n));
}

std::string HelpFilePath(const std::string& modulePath) {
    return ProgramFolder(modulePath) + "KORVANE.HLP";
}

int RunProgram(const std::vector<std::string>& args) {
    ConsoleView console;
    RunSettings settings;
    if (!ParseCommandLine(args, settings)) {
        console.ShowMessage(LoadString(IDS_USAGE));
        return 1;
    }
    std::string module = ModulePath(args.empty() ? std::string() : args[0]);
    CZembricRun run(settings, console, LogFilePath(ProgramFolder(module)));
    return run.Run() ? 0 : 1;
}

} // namespace zembric
