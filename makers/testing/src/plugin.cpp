#include "makertest/plugin.h"

#include <stdexcept>

namespace makertest {

std::vector<ScriptStep> steps(const std::vector<std::string>& lines) {
    std::vector<ScriptStep> out;
    for (const auto& l : lines) {
        size_t sp = l.find(' ');
        std::string error;
        auto s = parseScriptStep(l.substr(0, sp), sp == std::string::npos ? "" : l.substr(sp + 1), error);
        if (!s) throw std::invalid_argument(error);
        out.push_back(*s);
    }
    return out;
}

Plugin::Plugin(const std::string& deliverable) {
    plugin_.load(std::string(KORVANE_PLUGIN_DIR) + "/" + deliverable + ".so");
}

CString Plugin::name() const {
    return plugin_.name();
}

Outcome Plugin::run(const std::vector<std::string>& lines, const std::string& initialText,
                    Inspector inspect) const {
    Outcome o;
    if (!plugin_.loaded()) return o;
    ScriptedPresenter script(steps(lines));
    script.afterStep = std::move(inspect);
    Presenter* previous = setPresenter(&script);
    CString text(initialText);
    o.result = plugin_.create(text);
    setPresenter(previous);
    o.text = text.str();
    o.boxes = script.messageBoxes();
    o.helps = script.helpRequests();
    o.refusal = script.refusal();
    return o;
}

} // namespace makertest
