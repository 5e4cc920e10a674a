#include "itemformat/io_textstream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Memory blocks are combined with the first four characters of this text.
constexpr char kMemoryKeyText[] = "KvIt: the item files of this suite keep their binary blocks as p"
                                  "airs of letters, so that each file stays plain text, all through.";
static_assert(sizeof(kMemoryKeyText) - 1 == 129, "the key text has 129 characters");

constexpr int kMemoryLineLetters = 70; // a line break follows once more letters than this are written

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

IO_TextStream IO_TextStream::FromText(std::string text) {
    IO_TextStream s;
    s.text_ = std::move(text);
    return s;
}

// ---- files ----

bool IO_TextStream::OpenForReading(const std::string& path) {
    text_.clear();
    pos_ = 0;
    failed_ = false;
    error_.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FailFile(path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FailFile(path + ": not a readable file");
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            ::close(fd);
            return FailFile(path + ": " + std::strerror(err));
        }
        if (n == 0) break;
        if (text_.size() + static_cast<size_t>(n) > kMaxFileSize) {
            ::close(fd);
            text_.clear();
            return FailFile(path + ": the file is too large");
        }
        text_.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

bool IO_TextStream::OpenForWriting(const std::string& path) {
    file_.reset();
    text_.clear();
    memoryLetters_ = 0;
    if (path.empty()) {
        error_ = "no file name given";
        return false;
    }
    // The one atomic writer: it follows links, refuses special files and keeps the file's mode.
    auto file = std::make_unique<korvane::AtomicFile>();
    if (!file->open(path)) {
        error_ = file->error();
        return false;
    }
    file_ = std::move(file);
    return true;
}

bool IO_TextStream::Close() {
    if (!file_) return true;
    std::unique_ptr<korvane::AtomicFile> file = std::move(file_);
    if (file->write(text_) && file->commit()) return true;
    error_ = file->error();
    return false;
}

// ---- writing ----

void IO_TextStream::Write(const IO_Item& item, int level) {
    item.Write(*this, level);
}

void IO_TextStream::WriteIndent(int level) {
    if (level > 0) text_.append(static_cast<size_t>(level) * kIndentWidth, ' ');
}

void IO_TextStream::WriteName(const std::string& name) {
    // A name is one token: an empty one or one that would read back as something else is mended.
    char after = lastOpen_;
    lastOpen_ = 0;
    if (name.empty()) {
        text_.append("NO_NAME_GIVEN");
        return;
    }
    // After a text, a name starting with its delimiter would read as the text's next piece.
    if (name == "}" || name[0] == after) text_.push_back(after == '_' ? '-' : '_');
    for (char c : name)
        text_.push_back(IsSpace(c) ? '_' : c);
}

void IO_TextStream::WriteDelimited(const std::optional<std::string>& text, char open, int level) {
    if (!text) {
        text_.push_back('0');
        return;
    }
    char close = ClosingDelimiter(open);
    text_.push_back(open);
    for (char c : *text) {
        if (c == '\r') continue;
        if (c == '\n') {
            // The text goes on, on a new line, in a new pair of delimiters.
            text_.push_back(close);
            WriteLineEnd();
            WriteIndent(level + 1);
            text_.push_back(open);
            continue;
        }
        if (c == '\\' || c == open || c == close) text_.push_back('\\');
        text_.push_back(c);
    }
    text_.push_back(close);
    lastOpen_ = open;
}

void IO_TextStream::WriteMemory(const std::optional<std::vector<uint8_t>>& bytes) {
    if (!bytes) {
        text_.push_back('0');
        return;
    }
    const uint8_t* key = MemoryKey();
    text_.push_back('"');
    size_t k = 0;
    for (uint8_t b : *bytes) {
        uint8_t v = b ^ key[k++ % 4];
        text_.push_back(static_cast<char>('A' + (v & 0x0F)));
        text_.push_back(static_cast<char>('a' + (v >> 4)));
        memoryLetters_ += 2;
        if (memoryLetters_ > kMemoryLineLetters) {
            WriteLineEnd();
            memoryLetters_ = 0;
        }
    }
    text_.push_back('"');
}

char IO_TextStream::ClosingDelimiter(char open) {
    switch (open) {
    case '(':
        return ')';
    case '<':
        return '>';
    case '[':
        return ']';
    case '{':
        return '}';
    default:
        return open;
    }
}

bool IO_TextStream::IsUsableDelimiter(char c) {
    // "}" is refused: after a multi-line text it could not be told from the end of the list.
    return c != '\0' && c != '\\' && c != '0' && c != '}' && !IsSpace(c);
}

const uint8_t* IO_TextStream::MemoryKey() {
    return reinterpret_cast<const uint8_t*>(kMemoryKeyText);
}

// ---- reading ----

bool IO_TextStream::FailFile(const std::string& message) {
    failed_ = true;
    error_ = message;
    return false;
}

bool IO_TextStream::Fail(const std::string& message) {
    if (!failed_) {
        failed_ = true;
        size_t upto = std::min(pos_, text_.size());
        long line = 1 + std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(upto), '\n');
        error_ = "line " + std::to_string(line) + ": " + message;
    }
    return false;
}

void IO_TextStream::SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_]))
        ++pos_;
}

bool IO_TextStream::AtEnd() {
    SkipSpace();
    return pos_ >= text_.size();
}

bool IO_TextStream::NextToken(std::string& token) {
    SkipSpace();
    if (pos_ >= text_.size()) return false;
    size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]))
        ++pos_;
    token.assign(text_, start, pos_ - start);
    return true;
}

bool IO_TextStream::ReadNumber(const std::string& token, long& value) {
    if (token.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(token.c_str(), &end, 10);
    if (errno == ERANGE || end != token.c_str() + token.size()) return false;
    value = v;
    return true;
}

bool IO_TextStream::ReadNumber(const std::string& token, double& value) {
    if (token.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size()) return false;
    value = v;
    return true;
}

template <class T> bool IO_TextStream::ReadArray(std::vector<T>& values, const std::string& name) {
    std::string token;
    if (!NextToken(token)) return Fail("\"" + name + "\": the count is missing");
    if (token.empty() ||
        !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return Fail("\"" + name + "\": \"" + token + "\" is not a count");
    errno = 0;
    unsigned long long count = std::strtoull(token.c_str(), nullptr, 10);
    if (errno == ERANGE) return Fail("\"" + name + "\": the count " + token + " is too large");
    // The count is not trusted for allocation: values are added as they are read.
    for (unsigned long long i = 0; i < count; ++i) {
        T v{};
        if (!NextToken(token))
            return Fail("\"" + name + "\": " + std::to_string(i) + " of " + std::to_string(count) +
                        " values found");
        if (!ReadNumber(token, v)) return Fail("\"" + name + "\": \"" + token + "\" is not a number");
        values.push_back(v);
    }
    return true;
}

int IO_TextStream::ReadOpening(bool anyDelimiter, const std::string& name) {
    SkipSpace();
    if (pos_ >= text_.size()) {
        Fail("\"" + name + "\": the value is missing");
        return -1;
    }
    char c = text_[pos_];
    if (c == '0') {
        ++pos_;
        return 0;
    }
    if (anyDelimiter ? !IsUsableDelimiter(c) : c != '"') {
        Fail("\"" + name + "\": a text must start with a delimiter");
        return -1;
    }
    return static_cast<unsigned char>(c);
}

bool IO_TextStream::ReadDelimited(char open, std::string& text, const std::string& name) {
    char close = ClosingDelimiter(open);
    ++pos_; // the opening delimiter
    for (;;) {
        if (pos_ >= text_.size()) return Fail("\"" + name + "\": the text is not closed");
        char c = text_[pos_++];
        if (c == '\\') {
            if (pos_ >= text_.size()) return Fail("\"" + name + "\": the text is not closed");
            text.push_back(text_[pos_++]);
        } else if (c == close) {
            // A piece opened again on a following line continues the text after a line feed.
            size_t at = pos_;
            bool newLine = false;
            while (at < text_.size() && IsSpace(text_[at]))
                newLine |= text_[at++] == '\n';
            if (!newLine || at >= text_.size() || text_[at] != open) return true;
            pos_ = at + 1;
            text.push_back('\n');
        } else if (c != '\r') {
            text.push_back(c);
        }
    }
}

bool IO_TextStream::ReadMemory(std::vector<uint8_t>& bytes, const std::string& name) {
    const uint8_t* key = MemoryKey();
    ++pos_; // the opening delimiter
    size_t k = 0;
    for (;;) {
        if (pos_ >= text_.size()) return Fail("\"" + name + "\": the memory block is not closed");
        char c = text_[pos_++];
        if (c == '\r' || c == '\n') continue;
        if (c == '"') return true;
        if (c < 'A' || c > 'Z' || pos_ >= text_.size())
            return Fail("\"" + name + "\": the memory block is damaged");
        int low = c - 'A';
        int high = text_[pos_++] - 'a';
        if (low > 15 || high < 0 || high > 15) return Fail("\"" + name + "\": the memory block is damaged");
        bytes.push_back(static_cast<uint8_t>((low | (high << 4)) ^ key[k++ % 4]));
    }
}

IO_TextStream::Outcome IO_TextStream::ReadOne(int depth, std::unique_ptr<IO_Item>& item) {
    item.reset();
    if (failed_) return Outcome::Failed;
    std::string name;
    if (!NextToken(name)) return Outcome::End;
    if (name == "}") return Outcome::ListEnd;
    std::string type;
    if (!NextToken(type)) {
        Fail("\"" + name + "\" has no type");
        return Outcome::Failed;
    }
    if (type == "{") {
        if (depth >= kMaxDepth) {
            Fail("\"" + name + "\": lists are nested too deeply");
            return Outcome::Failed;
        }
        auto list = std::make_unique<IO_ItemList>(name);
        for (;;) {
            std::unique_ptr<IO_Item> child;
            Outcome o = ReadOne(depth + 1, child);
            if (child) list->Add(std::move(child));
            if (o == Outcome::Item) continue;
            item = std::move(list);
            // The end of the text also ends an unclosed list; what was read is kept.
            return o == Outcome::Failed ? Outcome::Failed : Outcome::Item;
        }
    }
    if (type == "i" || type == "r") {
        std::string token;
        if (!NextToken(token)) {
            Fail("\"" + name + "\": the value is missing");
            return Outcome::Failed;
        }
        if (type == "i") {
            long v = 0;
            if (!ReadNumber(token, v)) {
                Fail("\"" + name + "\": \"" + token + "\" is not an integer");
                return Outcome::Failed;
            }
            item = std::make_unique<IO_Int>(name, v);
        } else {
            double v = 0;
            if (!ReadNumber(token, v)) {
                Fail("\"" + name + "\": \"" + token + "\" is not a number");
                return Outcome::Failed;
            }
            item = std::make_unique<IO_Double>(name, v);
        }
        return Outcome::Item;
    }
    if (type == "i:") {
        auto a = std::make_unique<IO_IntArray>(name);
        if (!ReadArray(a->Values(), name)) return Outcome::Failed;
        item = std::move(a);
        return Outcome::Item;
    }
    if (type == "r:") {
        auto a = std::make_unique<IO_DoubleArray>(name);
        if (!ReadArray(a->Values(), name)) return Outcome::Failed;
        item = std::move(a);
        return Outcome::Item;
    }
    bool plain = type == "A" || type == "R" || type == "M";
    int open = ReadOpening(!plain, name);
    if (open < 0) return Outcome::Failed;
    if (type == "M") {
        if (open == 0) {
            item = std::make_unique<IO_Memory>(name, std::nullopt);
            return Outcome::Item;
        }
        std::vector<uint8_t> bytes;
        if (!ReadMemory(bytes, name)) return Outcome::Failed;
        item = std::make_unique<IO_Memory>(name, std::move(bytes));
        return Outcome::Item;
    }
    std::optional<std::string> text;
    if (open != 0) {
        text.emplace();
        if (!ReadDelimited(static_cast<char>(open), *text, name)) return Outcome::Failed;
    }
    if (type == "A")
        item = std::make_unique<IO_AsciiStr>(name, std::move(text));
    else if (type == "R")
        item = std::make_unique<IO_ResStr>(name, std::move(text));
    else
        item = std::make_unique<IO_ExtendedType>(name, type, open ? static_cast<char>(open) : '"',
                                                 std::move(text));
    return Outcome::Item;
}

std::unique_ptr<IO_Item> IO_TextStream::ReadItem() {
    std::unique_ptr<IO_Item> item;
    ReadOne(0, item);
    return item;
}

bool IO_TextStream::ReadAll(IO_ItemList& into) {
    for (;;) {
        std::unique_ptr<IO_Item> item;
        Outcome o = ReadOne(0, item);
        if (item) into.Add(std::move(item));
        if (o != Outcome::Item) return !failed_;
    }
}
