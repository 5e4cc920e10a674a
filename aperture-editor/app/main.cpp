// lumbra: the custom-aperture editor. `lumbra [APERTURE-FILE]` shows its window on the display;
// `lumbra --script FILE [APERTURE-FILE]` runs it without one: the script's steps are menu commands,
// canvas clicks and keys, bar edits and dialog steps.
#include "lumbraapp/app.h"
#include "lumbraapp/hostlink_loader.h"

#include "guistack/gui_stack.h"
#include "platform/scripted.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: lumbra [APERTURE-FILE]\n"
                         "       lumbra --script FILE [APERTURE-FILE]\n"
                         "  runs the editor on the steps in FILE (see aperture-editor/README.md) and exits\n"
                         "  with 1 after a save that ended a host link or when the host dropped the link, 0\n"
                         "  otherwise, 2 on a bad command line or script, 3 when a step was refused or the\n"
                         "  file could not be opened\n");
    return 2;
}

// The editor in its window; the exit code is the one the editor quits with.
int runWindowed(const char* program, const std::vector<std::string>& args) {
    if (args.size() > 1 || (!args.empty() && !args[0].empty() && args[0][0] == '-')) return usage();
    korvane::gui::Session gui;
    if (!gui.open(program)) {
        std::fprintf(stderr, "lumbra: no window can be shown (%s); use --script\n", gui.reason().c_str());
        return 2;
    }
    setPresenter(gui.presenter());
    int code = 0;
    {
        // The toolkit is running now, so the link's module uses it instead of starting its own.
        std::string problem;
        std::unique_ptr<lumbra::HostLink> link = lumbra::openHostLink(problem);
        if (!problem.empty()) std::fprintf(stderr, "lumbra: no host link: %s\n", problem.c_str());
        lumbra::CLumbraApp app(link.get());
        if (!args.empty()) app.fileToOpen = args[0];
        if (!app.InitInstance()) {
            setPresenter(nullptr);
            return 3;
        }
        code = app.Run();
        app.ExitInstance();
    }
    setPresenter(nullptr);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "--script") return runWindowed(argv[0], args);
    if (args.size() < 2 || args.size() > 3) return usage();
    std::vector<ScriptStep> steps;
    std::string error;
    if (!readScriptFile(args[1], steps, error)) {
        std::fprintf(stderr, "lumbra: %s\n", error.c_str());
        return 2;
    }
    ScriptedPresenter presenter(std::move(steps));
    presenter.onMessageBox = [](const RecordedMessageBox& b) {
        std::fprintf(stderr, "lumbra: message: %s\n", b.request.text.GetString());
    };
    setPresenter(&presenter);

    int code = 0;
    {
        // A CAM host listening for the editor turns this run into a linked one.
        std::string problem;
        std::unique_ptr<lumbra::HostLink> link = lumbra::openHostLink(problem);
        if (!problem.empty()) std::fprintf(stderr, "lumbra: no host link: %s\n", problem.c_str());
        lumbra::CLumbraApp app(link.get());
        if (args.size() == 3) app.fileToOpen = args[2];
        if (!app.InitInstance()) {
            std::fprintf(stderr, "lumbra: %s could not be opened\n",
                         app.fileToOpen ? app.fileToOpen->c_str() : "");
            setPresenter(nullptr);
            return 3;
        }
        code = app.Run();
        if (!app.frame().quitPosted() && app.document().IsModified())
            std::fprintf(stderr, "lumbra: the script ended with the aperture not saved\n");
        app.ExitInstance();
    }
    setPresenter(nullptr);
    if (presenter.refusal()) {
        std::fprintf(stderr, "lumbra: %s\n", presenter.refusal()->c_str());
        return 3;
    }
    return code;
}
