// One reader for the line-based text files the programs take from users (step scripts, change logs,
// change-log descriptions). It reads in bounded chunks and refuses a folder, a line over the caller's
// length cap and a file over the caller's size cap, so a hostile file cannot take unbounded memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

struct LineLimits {
    size_t maxLine;    // characters in one line, without its line break
    uint64_t maxBytes; // bytes in the whole file
    const char* kind;  // what the file is, for messages: "script", "change log", …
};

class LineReader {
  public:
    enum class Result { Line, End, Error };

    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens a file. A folder, or a regular file over the size cap, is refused at once.
    bool open(const std::string& path, const LineLimits& limits);
    // Reads from a descriptor that stays the caller's (standard input); `name` is used in messages.
    bool attach(int fd, const std::string& name, const LineLimits& limits);

    // The next line without its line feed (and without a carriage return before it). End after the
    // last line; Error with error() set when the file breaks a limit or cannot be read.
    Result next(std::string& line);

    // The number of the line last returned, from 1.
    int lineNumber() const { return lineNumber_; }
    const std::string& error() const { return error_; }

  private:
    bool fill();
    Result fail(std::string message);

    int fd_ = -1;
    bool owned_ = false;
    std::string name_;
    LineLimits limits_{0, 0, ""};
    std::string buffer_;
    size_t start_ = 0;
    uint64_t bytesRead_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    int lineNumber_ = 0;
    std::string error_;
};

// User text quoted in a message: at most `max` characters, control characters and bytes that cannot
// be shown escaped (\t, \n, \x01, …), and "…" when it was cut.
std::string clipForMessage(std::string_view text, size_t max = 40);

} // namespace korvane
