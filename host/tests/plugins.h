// The plug-ins the build put next to the test programs, loaded as the host loads them.
#pragma once

#include "platform/plugin.h"

#include <filesystem>
#include <memory>
#include <string>

namespace testplugins {

inline std::filesystem::path folder() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "plugins";
}

inline std::filesystem::path path(const std::string& deliverable) {
    return folder() / (deliverable + ".so");
}

using Plugin = korvane::MakerPlugin;

inline std::unique_ptr<Plugin> load(const std::string& deliverable) {
    auto p = std::make_unique<Plugin>();
    if (!p->load(path(deliverable).string())) return nullptr;
    return p;
}

} // namespace testplugins
