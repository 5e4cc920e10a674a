#include "guistack/gui_stack.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

namespace korvane::gui {

bool displayNamed() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

void* openModule(const char* fileName, std::string& error) {
    // RTLD_GLOBAL: the toolkit's own loadable modules (themes, input methods, image loaders) expect its
    // symbols to be visible. RTLD_NODELETE: nothing of the toolkit is ever unmapped under its feet.
    const int flags = RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const auto beside = exe.parent_path().parent_path() / "lib" / fileName;
        if (std::filesystem::exists(beside, ec))
            if (void* h = dlopen(beside.c_str(), flags)) return h;
    }
    if (void* h = dlopen(fileName, flags)) return h;
    const char* why = dlerror();
    error = std::string(fileName) + ": " + (why ? why : "cannot be loaded");
    return nullptr;
}

Session::~Session() {
    close();
}

bool Session::open(const char* programName) {
    if (presenter_) return true;
    if (!displayNamed()) {
        reason_ = "no display is named (DISPLAY and WAYLAND_DISPLAY are unset)";
        return false;
    }
    void* module = openModule(KORVANE_GUI_PRESENTER_MODULE, reason_);
    if (!module) return false;
    auto openFn = reinterpret_cast<korvane_gui_open_fn>(dlsym(module, "korvane_gui_open"));
    close_ = reinterpret_cast<korvane_gui_close_fn>(dlsym(module, "korvane_gui_close"));
    if (!openFn || !close_) {
        reason_ = std::string(KORVANE_GUI_PRESENTER_MODULE) + ": the GUI entry points are missing";
        return false;
    }
    presenter_ = openFn(programName);
    if (!presenter_) {
        reason_ = "the display cannot be opened";
        return false;
    }
    return true;
}

void Session::close() {
    if (!presenter_) return;
    close_(presenter_);
    presenter_ = nullptr;
}

} // namespace korvane::gui
