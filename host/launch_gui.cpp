#include "launch_gui.h"

#include "guistack/gui_stack.h"

#include <dlfcn.h>

#include <cstdio>

namespace host {

int runGui(int argc, char** argv, const std::vector<GuiPlugin>& plugins) {
    (void)argc;
    // Without a display there is no need to map the toolkit just to find that out.
    if (!korvane::gui::displayNamed()) {
        std::fputs("korvane-host: no display can be had for the launcher\n", stderr);
        return 2;
    }
    std::string error;
    void* module = korvane::gui::openModule(KORVANE_HOST_LAUNCHER_MODULE, error);
    auto run =
        module ? reinterpret_cast<korvane_host_launcher_fn>(dlsym(module, "korvane_host_launcher")) : nullptr;
    if (!run) {
        std::fprintf(stderr, "korvane-host: the launcher cannot be loaded: %s\n",
                     module ? "its entry point is missing" : error.c_str());
        return 2;
    }
    return run(argv[0], plugins.data(), plugins.size());
}

} // namespace host
