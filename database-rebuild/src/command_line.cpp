#include "zembric/command_line.h"

#include <strings.h>

namespace zembric {

namespace {
// "NON", in any case, stands for an empty list.
std::string listArgument(const std::vector<std::string>& args, size_t i) {
    if (i >= args.size()) return {};
    if (strcasecmp(args[i].c_str(), "NON") == 0) return {};
    return args[i];
}
} // namespace

bool ParseCommandLine(const std::vector<std::string>& args, RunSettings& out) {
    out = RunSettings{};
    if (args.size() < 3) return false;
    out.dbPath = args[1];
    out.keepAccess = listArgument(args, 2);
    out.keepVersion = listArgument(args, 3);
    out.keepManufacturer = listArgument(args, 4);
    out.keepAccess2 = listArgument(args, 5);
    out.dropAccess = listArgument(args, 6);
    out.dropVersion = listArgument(args, 7);
    out.dropManufacturer = listArgument(args, 8);
    out.dropAccess2 = listArgument(args, 9);
    out.argument10 = args.size() > 10 ? args[10] : std::string();
    out.stopOnError = !(args.size() > 11 && !args[11].empty() && args[11][0] == '1');
    out.visible = !(args.size() > 12 && !args[12].empty() && args[12][0] == '0');
    if (out.dbPath.empty()) return false;
    for (const std::string* s :
         {&out.keepAccess, &out.keepVersion, &out.keepManufacturer, &out.keepAccess2, &out.dropAccess,
          &out.dropVersion, &out.dropManufacturer, &out.dropAccess2, &out.argument10})
        if (!s->empty()) return true;
    return false;
}

std::vector<std::string> HiddenArguments(std::vector<std::string> args) {
    if (args.size() < 13) args.resize(13);
    args[12].assign(1, '0');
    return args;
}

} // namespace zembric
