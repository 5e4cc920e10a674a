// zembric: rebuilds a component database for one edition from its command line.
#include "app.h"
#include "command_line.h"
#include "platform/scripted.h"
#ifdef KORVANE_HAVE_WX
#include "wxpresenter/wxpresenter.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
#ifdef KORVANE_HAVE_WX
    // A visible run shows its dialog on the display when there is one. Hidden runs never open one.
    zembric::RunSettings settings;
    zembric::ParseCommandLine(args, settings);
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
    // Without a display a visible dialog runs under the scripted presenter: its timers fire, nobody
    // acts, and message boxes are written to standard error as they appear.
    ScriptedPresenter scripted({});
    scripted.pressOkAtEnd = false;
    scripted.onMessageBox = [](const RecordedMessageBox& box) {
        std::fprintf(stderr, "%s\n", box.request.text.GetString());
    };
    return zembric::RunProgram(args, &scripted);
}
