#include "platform/atomic_file.h"

#include "platform/format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace korvane {

namespace {

// As the kernel allows at most 40 links in one path lookup.
constexpr int kMaxLinks = 40;
// The temporary name carries a prefix of the file's own name, kept short enough for NAME_MAX.
constexpr size_t kMaxTempStem = 200;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

bool writeAll(int fd, std::string_view data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool resolveSaveTarget(const std::string& path, std::string& target, bool& exists, unsigned& mode,
                       std::string& reason) {
    // Follow symbolic links ourselves: renaming over a link would replace the link, not its file.
    target = path;
    exists = false;
    mode = 0;
    struct stat st {};
    for (int links = 0;; ++links) {
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) {
                reason = std::strerror(errno);
                return false;
            }
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            exists = true;
            break;
        }
        if (links == kMaxLinks) {
            reason = "too many levels of symbolic links";
            return false;
        }
        std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<size_t>(n) >= buffer.size()) {
            reason = n < 0 ? std::strerror(errno) : "a symbolic link changed while it was read";
            return false;
        }
        std::string next(buffer.data(), static_cast<size_t>(n));
        target = next.front() == '/' ? next : folderOf(target) + "/" + next;
    }

    const std::string folder = folderOf(target);
    struct stat fst {};
    if (::stat(folder.c_str(), &fst) != 0) {
        reason =
            errno == ENOENT || errno == ENOTDIR
                ? korvane::format("the folder %s does not exist", folder.c_str())
                : korvane::format("the folder %s cannot be used: %s", folder.c_str(), std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(fst.st_mode)) {
        reason = korvane::format("%s is not a folder", folder.c_str());
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        reason =
            korvane::format("%s is %s; only a regular file is replaced", target.c_str(), kindOf(st.st_mode));
        return false;
    }
    if (exists) mode = st.st_mode & 07777;
    return true;
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(const std::string& why) {
    error_ = korvane::format("%s cannot be written: %s", requested_.c_str(), why.c_str());
    discard();
    return false;
}

bool AtomicFile::open(const std::string& path) {
    discard();
    requested_ = path;
    error_.clear();
    if (path.empty()) return fail("no file name given");

    std::string target, reason;
    bool exists = false;
    if (!resolveSaveTarget(path, target, exists, mode_, reason)) return fail(reason);
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = 0666 & ~mask;
    }
    const std::string folder = folderOf(target);

    std::string stem = baseOf(target);
    if (stem.size() > kMaxTempStem) stem.resize(kMaxTempStem);
    std::string pattern = folder + "/." + stem + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(korvane::format("no file can be made in the folder %s: %s", folder.c_str(),
                                    std::strerror(errno)));
    fd_ = fd;
    temp_ = name.data();
    target_ = target;
    return true;
}

bool AtomicFile::write(std::string_view data) {
    if (fd_ < 0) {
        if (error_.empty()) error_ = "nothing can be written: no file is open";
        return false;
    }
    if (!writeAll(fd_, data)) return fail(std::strerror(errno));
    return true;
}

bool AtomicFile::commit() {
    if (fd_ < 0) {
        if (error_.empty()) error_ = "nothing can be written: no file is open";
        return false;
    }
    if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) return fail(std::strerror(errno));
    if (::fsync(fd_) != 0) return fail(std::strerror(errno));
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        return fail(std::strerror(saved));
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        return fail(std::strerror(saved));
    }
    temp_.clear();
    // The rename itself reaches the disk with the folder; the new contents are already safe.
    const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool writeFileAtomically(const std::string& path, std::string_view data, std::string& error) {
    AtomicFile file;
    if (file.open(path) && file.write(data) && file.commit()) return true;
    error = file.error();
    return false;
}

} // namespace korvane
