#include "platform/plugin.h"

#include "platform/format.h"

#include <dlfcn.h>

#include <utility>

namespace korvane {

MakerPlugin::~MakerPlugin() {
    unload();
}

MakerPlugin::MakerPlugin(MakerPlugin&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), name_(std::exchange(other.name_, nullptr)),
      create_(std::exchange(other.create_, nullptr)), path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

MakerPlugin& MakerPlugin::operator=(MakerPlugin&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = std::exchange(other.handle_, nullptr);
        name_ = std::exchange(other.name_, nullptr);
        create_ = std::exchange(other.create_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool MakerPlugin::load(const std::string& path) {
    unload();
    path_ = path;
    error_.clear();
    // Local symbols: two plug-ins built from the same frame must not bind to each other's copies.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = korvane::format("%s cannot be loaded: %s", path.c_str(), why ? why : "unknown reason");
        return false;
    }
    name_ = reinterpret_cast<NameFn>(dlsym(handle_, "GetModelMakerName"));
    create_ = reinterpret_cast<CreateFn>(dlsym(handle_, "CreateModelMaker"));
    if (!name_ || !create_) {
        const char* missing = !name_ && !create_ ? "GetModelMakerName and CreateModelMaker"
                              : !name_           ? "GetModelMakerName"
                                                 : "CreateModelMaker";
        error_ = korvane::format("%s is not a model maker: it does not export %s", path.c_str(), missing);
        unload();
        return false;
    }
    return true;
}

void MakerPlugin::unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
    name_ = nullptr;
    create_ = nullptr;
}

CString MakerPlugin::name() const {
    return name_ ? name_() : CString();
}

int MakerPlugin::create(CString& text) const {
    return create_ ? create_(text) : 0;
}

} // namespace korvane
