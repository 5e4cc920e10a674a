// korvane-host: the command-line stand-in for the host design program. It loads maker plug-ins and
// calls only their two exports.
#include "platform/cstring.h"
#include "platform/format.h"
#include "platform/plugin.h"
#include "platform/resources.h"
#include "platform/scripted.h"

#ifdef KORVANE_HOST_GUI
#include "gui.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <strings.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct PluginFile {
    std::string name; // deliverable name: the file name without ".so"
    fs::path path;
};

// The plug-in folder next to the host, then every folder of KORVANE_PLUGIN_PATH.
std::vector<fs::path> pluginFolders() {
    std::vector<fs::path> folders;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) folders.push_back(self.parent_path() / "plugins");
    if (const char* extra = std::getenv("KORVANE_PLUGIN_PATH")) {
        std::string s = extra;
        size_t start = 0;
        while (start <= s.size()) {
            size_t end = s.find(':', start);
            if (end == std::string::npos) end = s.size();
            if (end > start) folders.emplace_back(s.substr(start, end - start));
            start = end + 1;
        }
    }
    return folders;
}

std::vector<PluginFile> findPlugins() {
    std::vector<PluginFile> found;
    for (const auto& folder : pluginFolders()) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->path().extension() != ".so") continue;
            std::string name = it->path().stem().string();
            // The first folder that has a deliverable wins.
            bool seen = std::any_of(found.begin(), found.end(), [&](const PluginFile& p) {
                return strcasecmp(p.name.c_str(), name.c_str()) == 0;
            });
            if (!seen) found.push_back({name, it->path()});
        }
    }
    std::sort(found.begin(), found.end(), [](const PluginFile& a, const PluginFile& b) {
        return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
    });
    return found;
}

bool load(const PluginFile& p, korvane::MakerPlugin& out, std::string& error) {
    if (out.load(p.path.string())) return true;
    error = korvane::format("plug-in %s: %s", p.name.c_str(), out.error().c_str());
    return false;
}

int usage() {
    std::fputs(
        "usage: korvane-host list\n"
        "       korvane-host run DELIVERABLE [STEP ...]\n"
        "       korvane-host run DELIVERABLE --script FILE\n"
        "steps: --set [P:]ID=VALUE  --click [P:]ID  --select [P:]ID=INDEX  --cell [P:]ID:ROW,COL=TEXT\n"
        "       --answer yes|no  --ok  --cancel  --help-button\n",
        stderr);
    return 2;
}

int list() {
    int status = 0;
    for (const auto& p : findPlugins()) {
        korvane::MakerPlugin l;
        std::string error;
        if (!load(p, l, error)) {
            std::fprintf(stderr, "korvane-host: %s\n", error.c_str());
            status = 2;
            continue;
        }
        std::string fields = l.name().str();
        std::replace(fields.begin(), fields.end(), '\n', '\t');
        std::printf("%s\t%s\n", p.name.c_str(), fields.c_str());
    }
    return status;
}

bool parseArgs(int argc, char** argv, int first, std::vector<ScriptStep>& steps, std::string& error) {
    auto takesValue = [](const std::string& verb) {
        return verb != "ok" && verb != "cancel" && verb != "help-button";
    };
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--", 0) != 0) {
            error = korvane::format("'%s' is not a step", a.c_str());
            return false;
        }
        std::string verb = a.substr(2);
        if (verb == "script") {
            if (i + 1 >= argc) {
                error = "--script needs a file";
                return false;
            }
            if (!readScriptFile(argv[++i], steps, error)) return false;
            continue;
        }
        static const char* const known[] = {"set",    "click", "select", "cell",
                                            "answer", "ok",    "cancel", "help-button"};
        if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return verb == k; })) {
            error = korvane::format("unknown step '%s'", a.c_str());
            return false;
        }
        std::string arg;
        if (takesValue(verb)) {
            if (i + 1 >= argc) {
                error = korvane::format("%s needs a value", a.c_str());
                return false;
            }
            arg = argv[++i];
        }
        auto step = parseScriptStep(verb, arg, error);
        if (!step) return false;
        steps.push_back(*step);
    }
    return true;
}

int run(int argc, char** argv) {
    std::string wanted = argv[2];
    std::vector<ScriptStep> steps;
    std::string error;
    if (!parseArgs(argc, argv, 3, steps, error)) {
        std::fprintf(stderr, "korvane-host: %s\n", error.c_str());
        return 2;
    }
    auto plugins = findPlugins();
    auto it = std::find_if(plugins.begin(), plugins.end(), [&](const PluginFile& p) {
        return strcasecmp(p.name.c_str(), wanted.c_str()) == 0;
    });
    if (it == plugins.end()) {
        std::fprintf(stderr, "korvane-host: no plug-in named %s\n", wanted.c_str());
        return 2;
    }
    korvane::MakerPlugin l;
    if (!load(*it, l, error)) {
        std::fprintf(stderr, "korvane-host: %s\n", error.c_str());
        return 2;
    }

    ScriptedPresenter script(std::move(steps));
    // An explicit --ok is the user's only OK: a question it raised and that was declined is not
    // asked again when the steps run out.
    script.pressOkAtEndAfterOk = false;
    script.onMessageBox = [](const RecordedMessageBox& b) {
        const char* answer = b.answer == IDYES      ? "Yes"
                             : b.answer == IDNO     ? "No"
                             : b.answer == IDCANCEL ? "Cancel"
                                                    : "OK";
        std::fprintf(stderr, "message box: %s [%s]\n", b.request.text.GetString(), answer);
    };
    script.onHelp = [](const HelpRequest& h) {
        std::fprintf(stderr, "help: %s context %lu (0x%lX)\n", h.module.c_str(),
                     static_cast<unsigned long>(h.context), static_cast<unsigned long>(h.context));
    };
    Presenter* previous = setPresenter(&script);
    CString text;
    int result = l.create(text);
    setPresenter(previous);
    if (script.refusal()) {
        std::fprintf(stderr, "korvane-host: %s\n", script.refusal()->c_str());
        return 2;
    }
    if (result != 1) return 1;
    std::fwrite(text.GetString(), 1, static_cast<size_t>(text.GetLength()), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The host has resources of its own; a plug-in must hand the current handle back to it.
    static ResourceModule hostModule{"korvane-host", {}, {}};
    AfxRegisterResourceModule(&hostModule);
    AfxSetResourceHandle(&hostModule);

    if (argc < 2) return usage();
    std::string command = argv[1];
    if (command == "list" && argc == 2) return list();
    if (command == "run" && argc >= 3) return run(argc, argv);
#ifdef KORVANE_HOST_GUI
    if (command == "gui" && argc == 2) {
        std::vector<host::GuiPlugin> plugins;
        for (const auto& p : findPlugins()) plugins.push_back({p.name, p.path.string()});
        return host::runGui(argc, argv, plugins);
    }
#endif
    return usage();
}
