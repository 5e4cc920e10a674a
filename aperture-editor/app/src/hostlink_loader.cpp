#include "lumbraapp/hostlink_loader.h"

#include "guistack/gui_stack.h"

#include <dlfcn.h>

#include <filesystem>

namespace lumbra {

std::unique_ptr<HostLink> openHostLink(std::string& problem) {
    problem.clear();
    const std::string path = hostSocketPath(kHostService);
    std::error_code ec;
    // No host has ever listened here: an ordinary run, and the toolkit stays unloaded.
    if (path.empty() || !std::filesystem::is_socket(path, ec)) return nullptr;
    void* module = korvane::gui::openModule(kHostLinkModule, problem);
    if (!module) return nullptr;
    auto make = reinterpret_cast<HostLinkFactory>(dlsym(module, kHostLinkEntry));
    if (!make) {
        problem = std::string(kHostLinkModule) + ": " + kHostLinkEntry + " is missing";
        return nullptr;
    }
    return std::unique_ptr<HostLink>(make());
}

} // namespace lumbra
