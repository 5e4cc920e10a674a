#include "platform/line_reader.h"

#include "platform/format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvane {

namespace {

constexpr size_t kChunk = 64 * 1024;

std::string sizeText(uint64_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return korvane::format("%llu MiB", static_cast<unsigned long long>(bytes >> 20));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return korvane::format("%llu KiB", static_cast<unsigned long long>(bytes >> 10));
    return korvane::format("%llu bytes", static_cast<unsigned long long>(bytes));
}

} // namespace

LineReader::~LineReader() {
    if (owned_ && fd_ >= 0) ::close(fd_);
}

LineReader::Result LineReader::fail(std::string message) {
    error_ = std::move(message);
    failed_ = true;
    buffer_.clear();
    buffer_.shrink_to_fit();
    return Result::Error;
}

bool LineReader::open(const std::string& path, const LineLimits& limits) {
    limits_ = limits;
    name_ = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fail(korvane::format("%s %s cannot be read: %s", limits.kind, path.c_str(), std::strerror(errno)));
        return false;
    }
    fd_ = fd;
    owned_ = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        fail(korvane::format("%s %s cannot be read: %s", limits.kind, path.c_str(), std::strerror(errno)));
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        fail(korvane::format("%s %s is a folder, not a file", limits.kind, path.c_str()));
        return false;
    }
    if (S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) > limits.maxBytes) {
        fail(korvane::format("%s %s is larger than %s, the most a %s may hold", limits.kind, path.c_str(),
                             sizeText(limits.maxBytes).c_str(), limits.kind));
        return false;
    }
    return true;
}

bool LineReader::attach(int fd, const std::string& name, const LineLimits& limits) {
    limits_ = limits;
    name_ = name;
    fd_ = fd;
    owned_ = false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        fail(korvane::format("%s %s is a folder, not a file", limits.kind, name.c_str()));
        return false;
    }
    return true;
}

bool LineReader::fill() {
    // Drop what was consumed so the buffer never holds more than one line and one chunk.
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    const size_t old = buffer_.size();
    buffer_.resize(old + kChunk);
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.data() + old, kChunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        buffer_.resize(old);
        fail(korvane::format("%s %s cannot be read: %s", limits_.kind, name_.c_str(), std::strerror(errno)));
        return false;
    }
    buffer_.resize(old + static_cast<size_t>(n));
    if (n == 0) eof_ = true;
    bytesRead_ += static_cast<uint64_t>(n);
    if (bytesRead_ > limits_.maxBytes) {
        fail(korvane::format("%s %s is larger than %s, the most a %s may hold", limits_.kind, name_.c_str(),
                             sizeText(limits_.maxBytes).c_str(), limits_.kind));
        return false;
    }
    return true;
}

LineReader::Result LineReader::next(std::string& line) {
    if (failed_) return Result::Error;
    if (fd_ < 0) return fail(korvane::format("%s %s is not open", limits_.kind, name_.c_str()));
    size_t scanned = start_;
    for (;;) {
        const size_t nl = buffer_.find('\n', scanned);
        const size_t end = nl == std::string::npos ? buffer_.size() : nl;
        // A carriage return before the line feed (or at the end of the file) is not part of the line.
        const size_t length = end - start_;
        const size_t shown = length > 0 && buffer_[end - 1] == '\r' ? length - 1 : length;
        if (shown > limits_.maxLine) {
            return fail(korvane::format("%s %s, line %d: longer than %zu characters", limits_.kind,
                                        name_.c_str(), lineNumber_ + 1, limits_.maxLine));
        }
        if (nl != std::string::npos || eof_) {
            if (nl == std::string::npos && length == 0) return Result::End;
            line.assign(buffer_, start_, shown);
            start_ = nl == std::string::npos ? buffer_.size() : nl + 1;
            ++lineNumber_;
            return Result::Line;
        }
        scanned = buffer_.size() - start_;
        if (!fill()) return Result::Error;
        // fill() moved the unread part to the front.
    }
}

std::string clipForMessage(std::string_view text, size_t max) {
    std::string out;
    size_t shown = 0;
    size_t i = 0;
    for (; i < text.size() && shown < max; ++i, ++shown) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c == 0x7F)
            out += korvane::format("\\x%02X", c);
        else
            out += static_cast<char>(c);
    }
    // Do not end inside a multi-byte UTF-8 character.
    for (int k = 0; k < 3 && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; ++k)
        out += text[i++];
    if (i < text.size()) out += "…";
    return out;
}

} // namespace korvane
