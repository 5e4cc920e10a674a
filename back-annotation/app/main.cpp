// tandrel: the back-annotation program. See the folder README for the options and the scripted mode.
#include "guistack/gui_stack.h"
#include "platform/cstring.h"
#include "platform/format.h"
#include "platform/scripted.h"
#include "tandrel/annotate_dlg.h"
#include "tandrel/tandrel_app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

void Usage() {
    std::fprintf(stderr, "usage: tandrel [--folder DIR] [--schematic-id ID] [--script FILE]\n"
                         "               [--file PATH | --no-file] [--ok | --cancel]\n");
}

// The scripted presenter, also printing what the confirmation window lists.
class TandrelScript : public ScriptedPresenter {
  public:
    using ScriptedPresenter::ScriptedPresenter;
    int runModal(CModalWindow& window) override {
        if (CWnd* list = window.GetDlgItem(tandrel::IDC_ANNOTATE_LIST)) {
            std::printf("confirm: %s\n", window.caption().GetString());
            for (const CString& line : list->items())
                std::printf("list: %s\n", line.GetString());
            std::fflush(stdout);
        }
        return ScriptedPresenter::runModal(window);
    }
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override {
        std::printf("file chooser: %s in %s\n", request.filter.GetString(), request.initialDir.GetString());
        std::fflush(stdout);
        return ScriptedPresenter::chooseFile(request);
    }
};

} // namespace

int main(int argc, char** argv) {
    tandrel::CTandrelApp::Options options;
    if (const char* id = std::getenv("TANDREL_SCHEMATIC_ID")) options.schematicId = id;
    std::vector<ScriptStep> steps;
    bool scripted = false;
    std::string error;
    if (const char* script = std::getenv("TANDREL_SCRIPT"); script && *script) {
        if (!readScriptFile(script, steps, error)) {
            std::fprintf(stderr, "tandrel: %s\n", error.c_str());
            return 2;
        }
        scripted = true;
    }
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        auto add = [&](const char* verb, const std::string& arg) {
            auto step = parseScriptStep(verb, arg, error);
            if (step) steps.push_back(*step);
            scripted = true;
            return step.has_value();
        };
        bool ok = true;
        if (a == "--folder" && hasValue)
            options.folder = argv[++i];
        else if (a == "--schematic-id" && hasValue)
            options.schematicId = argv[++i];
        else if (a == "--script" && hasValue)
            ok = readScriptFile(argv[++i], steps, error), scripted = true;
        else if (a == "--file" && hasValue)
            ok = add("file", argv[++i]);
        else if (a == "--no-file")
            ok = add("file", "");
        else if (a == "--ok")
            ok = add("ok", "");
        else if (a == "--cancel")
            ok = add("cancel", "");
        else {
            Usage();
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "tandrel: %s\n", error.c_str());
            return 2;
        }
    }

    std::unique_ptr<TandrelScript> script;
    if (scripted) {
        script = std::make_unique<TandrelScript>(std::move(steps));
        // OK is pressed only when the script says so.
        script->pressOkAtEnd = false;
        script->onMessageBox = [](const RecordedMessageBox& b) {
            std::fprintf(stderr, "message box: %s\n", b.request.text.GetString());
        };
        script->onHelp = [](const HelpRequest& h) {
            std::fprintf(stderr, "help: %s context 0x%lX\n", h.module.c_str(),
                         static_cast<unsigned long>(h.context));
        };
        setPresenter(script.get());
    }
    // Unscripted, the windows are shown to the user on the display.
    korvane::gui::Session gui;
    if (!scripted && gui.open(argv[0])) setPresenter(gui.presenter());
    tandrel::CTandrelApp app(options);
    app.InitInstance();
    setPresenter(nullptr);
    gui.close();
    if (script && script->refusal()) {
        std::fprintf(stderr, "tandrel: %s\n", script->refusal()->c_str());
        return 2;
    }
    return app.ExitCode();
}
