// `korvane-host gui` without the toolkit in the host: the launcher lives in a module of its own that is
// loaded only for this command.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace host {

struct GuiPlugin {
    std::string file; // deliverable name
    std::string path;
};

// Loads the launcher module and runs the launcher: 0 when it was closed, 2 when no display can be had or
// the launcher is not built (said on standard error).
int runGui(int argc, char** argv, const std::vector<GuiPlugin>& plugins);

} // namespace host

// The launcher module's entry point, resolved by name.
extern "C" {
using korvane_host_launcher_fn = int (*)(const char* programName, const host::GuiPlugin* plugins,
                                         std::size_t count);
}
