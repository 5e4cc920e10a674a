// Saving a file so that a failure never leaves it half written: the new contents go to a temporary
// file in the same folder, are flushed to disk, and only then replace the old file in one rename.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// Writes `data` as the whole new contents of `path`.
//  - A symbolic link is followed (chains too) and the file it names is replaced; the link stays.
//  - Anything that is not a regular file (folder, FIFO, device, socket) is refused, untouched.
//  - An existing file keeps its permission mode; a new one gets 0666 less the umask.
//  - On any failure the old file is left as it was, no temporary file stays behind, and `error` says
//    what went wrong (a missing folder is named as such).
bool writeFileAtomically(const std::string& path, std::string_view data, std::string& error);

// The checks writeFileAtomically makes before it writes, for writers that build their file beside the
// target by other means (a database engine): `target` becomes the end of any symbolic-link chain;
// false with a reason for a missing folder or a target that is not a regular file. `exists` and `mode`
// (permission bits) describe the file found there.
bool resolveSaveTarget(const std::string& path, std::string& target, bool& exists, unsigned& mode,
                       std::string& reason);

// For writers that produce their text piece by piece. Nothing is visible at `path` until commit()
// succeeds; destroying an uncommitted file throws the temporary away.
class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Resolves and checks the target and creates the temporary file beside it.
    bool open(const std::string& path);
    // Appends to the temporary file.
    bool write(std::string_view data);
    // Flushes, closes and renames over the target. False (with error()) if any step failed, in which
    // case the target is unchanged.
    bool commit();
    // Throws the temporary file away.
    void discard();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    // The file that commit() replaces (the end of any symbolic-link chain).
    const std::string& target() const { return target_; }

  private:
    bool fail(const std::string& why);

    int fd_ = -1;
    std::string requested_;
    std::string target_;
    std::string temp_;
    std::string error_;
    unsigned mode_ = 0;
};

} // namespace korvane
