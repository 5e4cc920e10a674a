// zembric: rebuilds a component database for one edition from its command line.
#include "app.h"
#include "command_line.h"
#ifdef KORVANE_HAVE_WX
#include "wxpresenter/wxpresenter.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    zembric::RunSettings settings;
    bool runs = zembric::ParseCommandLine(args, settings);
#ifdef KORVANE_HAVE_WX
    // A visible run shows its dialog on the display when there is one. Hidden runs never open one.
    int toolkitArgc = 1;
    if (settings.visible && korvane::wx::startToolkit(toolkitArgc, argv)) {
        int status;
        {
            korvane::wx::WxPresenter gui;
            status = zembric::RunProgram(args, &gui);
        }
        korvane::wx::stopToolkit();
        return status;
    }
#endif
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
