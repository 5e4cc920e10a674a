// zembric: rebuilds a component database for one edition from its command line.
#include "app.h"
#include "platform/scripted.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    // Until a windowing presenter is available, a visible dialog runs under the scripted presenter: its
    // timers fire, nobody acts, and message boxes are written to standard error as they appear.
    ScriptedPresenter scripted({});
    scripted.pressOkAtEnd = false;
    scripted.onMessageBox = [](const RecordedMessageBox& box) {
        std::fprintf(stderr, "%s\n", box.request.text.GetString());
    };
    return zembric::RunProgram(args, &scripted);
}
