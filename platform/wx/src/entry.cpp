// The entry points by which korvane_guistack starts the toolkit and the presenter after loading this
// library.
#include "guistack/gui_stack.h"
#include "wxpresenter/wxpresenter.h"

#include <string>
#include <type_traits>

extern "C" __attribute__((visibility("default"))) Presenter* korvane_gui_open(const char* programName) {
    // The toolkit keeps argv for the life of the process.
    static std::string name;
    static char* argv[2] = {nullptr, nullptr};
    name = programName && *programName ? programName : "korvane";
    argv[0] = name.data();
    int argc = 1;
    if (!korvane::wx::startToolkit(argc, argv)) return nullptr;
    return new korvane::wx::WxPresenter();
}

extern "C" __attribute__((visibility("default"))) void korvane_gui_close(Presenter* presenter) {
    delete presenter;
    korvane::wx::stopToolkit();
}

// Both must keep the signatures the loader resolves them with.
static_assert(std::is_same_v<decltype(&korvane_gui_open), korvane_gui_open_fn>);
static_assert(std::is_same_v<decltype(&korvane_gui_close), korvane_gui_close_fn>);
