// The plug-ins the build put next to the test programs, loaded as the host loads them.
#pragma once

#include "platform/cstring.h"

#include <dlfcn.h>

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

struct Plugin {
    void* handle = nullptr;
    CString (*name)() = nullptr;
    int (*create)(CString&) = nullptr;
    ~Plugin() {
        if (handle) dlclose(handle);
    }
};

inline std::unique_ptr<Plugin> load(const std::string& deliverable) {
    auto p = std::make_unique<Plugin>();
    p->handle = dlopen(path(deliverable).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!p->handle) return nullptr;
    p->name = reinterpret_cast<CString (*)()>(dlsym(p->handle, "GetModelMakerName"));
    p->create = reinterpret_cast<int (*)(CString&)>(dlsym(p->handle, "CreateModelMaker"));
    if (!p->name || !p->create) return nullptr;
    return p;
}

} // namespace testplugins
