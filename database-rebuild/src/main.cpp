// zembric: rebuilds a component database for one edition from its command line.
#include "guistack/gui_stack.h"
#include "zembric/app.h"
#include "zembric/command_line.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    zembric::RunSettings settings;
    bool runs = zembric::ParseCommandLine(args, settings);
    // A visible run shows its dialog on the display when there is one. Hidden runs never open one.
    if (settings.visible) {
        korvane::gui::Session gui;
        if (gui.open(argv[0])) return zembric::RunProgram(args, gui.presenter());
    }
    // Without a display nobody would see the dialog's log box: the run goes on as a hidden one, so its
    // log reaches standard output, and says so. The usage message goes to standard error.
    if (runs && settings.visible) {
        std::fprintf(stderr, "zembric: no display found; running without the window, the log on standard "
                             "output\n");
        std::fflush(stderr);
        return zembric::RunProgram(zembric::HiddenArguments(args));
    }
    return zembric::RunProgram(args);
}
