// zembric: rebuilds a component database for one edition from its command line.
#include "app.h"
#include "command_line.h"
#include "guistack/gui_stack.h"
#include "platform/scripted.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    // A visible run shows its dialog on the display when there is one. Hidden runs never open one.
    zembric::RunSettings settings;
    zembric::ParseCommandLine(args, settings);
    if (settings.visible) {
        korvane::gui::Session gui;
        if (gui.open(argv[0])) return zembric::RunProgram(args, gui.presenter());
    }
    // Without a display a visible dialog runs under the scripted presenter: its timers fire, nobody
    // acts, and message boxes are written to standard error as they appear.
    ScriptedPresenter scripted({});
    scripted.pressOkAtEnd = false;
    scripted.onMessageBox = [](const RecordedMessageBox& box) {
        std::fprintf(stderr, "%s\n", box.request.text.GetString());
    };
    return zembric::RunProgram(args, &scripted);
}
