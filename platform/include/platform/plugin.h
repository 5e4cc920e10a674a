// One loader for model-maker plug-ins: the host's `run` and launcher and the tests all load a plug-in
// the same way and see the same error text when it cannot be used.
#pragma once

#include "platform/cstring.h"

#include <string>

namespace korvane {

class MakerPlugin {
  public:
    using NameFn = CString (*)();
    using CreateFn = int (*)(CString&);

    MakerPlugin() = default;
    ~MakerPlugin();
    MakerPlugin(MakerPlugin&& other) noexcept;
    MakerPlugin& operator=(MakerPlugin&& other) noexcept;
    MakerPlugin(const MakerPlugin&) = delete;
    MakerPlugin& operator=(const MakerPlugin&) = delete;

    // Loads the shared library at `path` and looks up GetModelMakerName and CreateModelMaker. On
    // failure nothing stays loaded and error() says why, naming the file.
    bool load(const std::string& path);
    // Unloads the library; the two functions may not be called afterwards.
    void unload();

    bool loaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

    // The plug-in's name string; empty when nothing is loaded.
    CString name() const;
    // Runs the plug-in with the host's string; 0 when nothing is loaded.
    int create(CString& text) const;

  private:
    void* handle_ = nullptr;
    NameFn name_ = nullptr;
    CreateFn create_ = nullptr;
    std::string path_;
    std::string error_;
};

} // namespace korvane
