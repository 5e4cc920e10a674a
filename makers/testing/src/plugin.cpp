#include "makertest/plugin.h"

#include <dlfcn.h>

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
    std::string path = std::string(KORVANE_PLUGIN_DIR) + "/" + deliverable + ".so";
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* e = dlerror();
        error_ = e ? e : "cannot load";
        return;
    }
    name_ = reinterpret_cast<CString (*)()>(dlsym(handle_, "GetModelMakerName"));
    create_ = reinterpret_cast<int (*)(CString&)>(dlsym(handle_, "CreateModelMaker"));
    if (!name_ || !create_) error_ = "missing export";
}

Plugin::~Plugin() {
    if (handle_) dlclose(handle_);
}

CString Plugin::name() const {
    return name_ ? name_() : CString();
}

int Plugin::create(CString& text) const {
    return create_ ? create_(text) : 0;
}

Outcome Plugin::run(const std::vector<std::string>& lines, const std::string& initialText,
                    Inspector inspect) const {
    Outcome o;
    if (!create_) return o;
    ScriptedPresenter script(steps(lines));
    script.afterStep = std::move(inspect);
    Presenter* previous = setPresenter(&script);
    CString text(initialText);
    o.result = create_(text);
    setPresenter(previous);
    o.text = text.str();
    o.boxes = script.messageBoxes();
    o.helps = script.helpRequests();
    o.refusal = script.refusal();
    return o;
}

} // namespace makertest
