#include "registry/registry.h"

#include "platform/atomic_file.h"

#include <ini.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace korvane::registry {

namespace fs = std::filesystem;

namespace {

constexpr const char* kValuesFile = "values.ini";
constexpr const char* kBackupFile = "values.ini.bak";
constexpr std::uintmax_t kMaxFileSize = 16u << 20; // a hive file is small; refuse anything huge
constexpr int kMaxLine = 1 << 20;

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
    });
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendHex(std::string& out, char lead, unsigned char c) {
    static const char digits[] = "0123456789ABCDEF";
    out += lead;
    out += digits[c >> 4];
    out += digits[c & 15];
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// --- key names on disk -------------------------------------------------------------------------------
// A key is a folder. Its name is kept readable; only what the file system or our own files could
// mistake is written as %XX: '%', '/', control bytes, a leading dot, and names that begin like the
// values file ("values.ini...").

std::string keyNameToDisk(std::string_view name) {
    std::string out;
    bool reserved = name.size() >= 10 && equalNoCase(name.substr(0, 10), kValuesFile);
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (c == '%' || c == '/' || isControl(c) || (i == 0 && (c == '.' || reserved)))
            appendHex(out, '%', c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

std::string keyNameFromDisk(std::string_view disk) {
    std::string out;
    for (std::size_t i = 0; i < disk.size(); ++i) {
        if (disk[i] == '%' && i + 2 < disk.size() && hexDigit(disk[i + 1]) >= 0 &&
            hexDigit(disk[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(disk[i + 1]) * 16 + hexDigit(disk[i + 2]));
            i += 2;
        } else {
            out += disk[i];
        }
    }
    return out;
}

bool validKeyName(std::string_view name) {
    return !name.empty() && name.find('\\') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::optional<std::vector<std::string>> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    if (path.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find('\\', start);
        std::string_view part =
            path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!validKeyName(part)) return std::nullopt;
        parts.emplace_back(part);
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// Subfolders of a key folder as (key name, folder name).
std::vector<std::pair<std::string, std::string>> listSubKeys(const fs::path& dir) {
    std::vector<std::pair<std::string, std::string>> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code tec;
        if (!it->is_directory(tec)) continue;
        std::string disk = it->path().filename().string();
        out.emplace_back(keyNameFromDisk(disk), disk);
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return lessNoCase(a.first, b.first); });
    return out;
}

std::optional<fs::path> findSubKey(const fs::path& dir, std::string_view name) {
    for (auto& [key, disk] : listSubKeys(dir))
        if (equalNoCase(key, name)) return dir / disk;
    return std::nullopt;
}

// --- the values file ---------------------------------------------------------------------------------
// One line per value: `name = "text"` or `name = integer`. In names, and inside texts, a backslash
// starts an escape: \\ \" \n \r \t or \xHH. The writer escapes every ';' (an INI comment) and, in
// names, everything INI would read as syntax.

struct Entry {
    std::string name; // decoded, or the raw text when !valid
    ValueType type = ValueType::None;
    std::string text; // String value, or the raw value text when !valid
    std::int64_t number = 0;
    bool valid = false;
};

struct Values {
    std::vector<Entry> entries;
    bool clean = true; // every line was understood

    Entry* find(std::string_view name) {
        for (auto& e : entries)
            if (e.valid && equalNoCase(e.name, name)) return &e;
        return nullptr;
    }
};

bool unescape(std::string_view in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= in.size()) return false;
        switch (in[i]) {
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x':
            if (i + 2 >= in.size() || hexDigit(in[i + 1]) < 0 || hexDigit(in[i + 2]) < 0) return false;
            out += static_cast<char>(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2]));
            i += 2;
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string escapeText(std::string_view in) {
    std::string out;
    for (char ch : in) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c == ';' || isControl(c))
            appendHex(out += '\\', 'x', c);
        else
            out += ch;
    }
    return out;
}

std::string escapeName(std::string_view in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        auto c = static_cast<unsigned char>(in[i]);
        bool edge = i == 0 || i + 1 == in.size();
        if (c == '\\' || c == '=' || c == ':' || c == ';' || c == '"' || isControl(c) ||
            (edge && (c == ' ' || c == '[' || c == '#'))) {
            appendHex(out += '\\', 'x', c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int onLine(void* user, const char* section, const char* rawName, const char* rawValue) {
    auto& values = *static_cast<Values*>(user);
    if (section[0] != '\0') {
        // Not ours: a rewrite would move it out of its section, so it survives in the backup only.
        values.clean = false;
        return 0;
    }
    Entry e;
    e.name = rawName;
    e.text = rawValue;
    std::string name;
    std::string_view value(rawValue);
    bool ok = unescape(rawName, name) && !values.find(name);
    if (ok && value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        std::string text;
        if (unescape(value.substr(1, value.size() - 2), text)) {
            e = Entry{name, ValueType::String, std::move(text), 0, true};
        }
    } else if (ok && !value.empty()) {
        std::int64_t n = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (ec == std::errc() && end == value.data() + value.size())
            e = Entry{name, ValueType::Integer, {}, n, true};
    }
    bool valid = e.valid;
    if (!valid) values.clean = false;
    values.entries.push_back(std::move(e));
    return valid ? 1 : 0;
}

// The INI library's line-length and continuation settings are process-wide; set them for our parse
// only: long lines are read whole and an indented line is a line of its own, not a continuation.
int parseIni(const std::string& text, Values& values) {
    static std::mutex m;
    std::lock_guard lock(m);
    bool stack = ini_use_stack, realloc = ini_allow_realloc, multi = ini_allow_multiline;
    int maxLine = ini_max_line;
    ini_use_stack = false;
    ini_allow_realloc = true;
    ini_allow_multiline = false;
    ini_max_line = kMaxLine;
    int rc = ini_parse_string(text.c_str(), onLine, &values);
    ini_use_stack = stack;
    ini_allow_realloc = realloc;
    ini_allow_multiline = multi;
    ini_max_line = maxLine;
    return rc;
}

Values loadValues(const fs::path& dir) {
    Values values;
    fs::path file = dir / kValuesFile;
    std::error_code ec;
    auto size = fs::file_size(file, ec);
    if (ec) return values; // no file: no values
    if (size > kMaxFileSize) {
        values.clean = false;
        return values;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.find('\0') != std::string::npos) values.clean = false;
    if (parseIni(text, values) != 0) values.clean = false;
    return values;
}

bool atomicWrite(const fs::path& target, const std::string& data) {
    std::string error;
    return korvane::writeFileAtomically(target.string(), data, error);
}

bool saveValues(const fs::path& dir, const Values& values) {
    std::string out = "; registry values: name = \"text\" or name = integer\n";
    for (const auto& e : values.entries) {
        std::string line;
        if (!e.valid)
            line = e.name + " = " + e.text; // kept as found, so a rewrite loses nothing
        else if (e.type == ValueType::String)
            line = escapeName(e.name) + " = \"" + escapeText(e.text) + "\"";
        else
            line = escapeName(e.name) + " = " + std::to_string(e.number);
        if (line.size() + 3 > static_cast<std::size_t>(kMaxLine)) return false;
        out += line;
        out += '\n';
    }
    if (!values.clean) {
        // Lines the reader could not use at all would vanish with the rewrite: keep the old file.
        std::error_code ec;
        fs::copy_file(dir / kValuesFile, dir / kBackupFile, fs::copy_options::overwrite_existing, ec);
        if (ec) return false;
    }
    return atomicWrite(dir / kValuesFile, out);
}

// Serialises writers of one key folder (other processes included).
class FolderLock {
  public:
    explicit FolderLock(const fs::path& dir) : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }

  private:
    int fd_;
};

template <class Change> bool modify(const fs::path& dir, Change change) {
    FolderLock lock(dir);
    if (!lock.held()) return false;
    Values values = loadValues(dir);
    if (!change(values)) return false;
    return saveValues(dir, values);
}

fs::path envFolder(const char* var) {
    const char* v = std::getenv(var);
    if (!v || !*v) return {};
    std::string s(v);
    if (std::string_view(var) == "XDG_CONFIG_DIRS") s = s.substr(0, s.find(':'));
    fs::path p(s);
    return p.is_absolute() ? p : fs::path(); // relative entries are to be ignored
}

} // namespace

fs::path hiveRoot(Hive hive) {
    fs::path base;
    if (hive == Hive::CurrentUser) {
        base = envFolder("XDG_CONFIG_HOME");
        if (base.empty()) {
            const char* home = std::getenv("HOME");
            base = fs::path(home && *home ? home : "/") / ".config";
        }
    } else {
        base = envFolder("XDG_CONFIG_DIRS");
        if (base.empty()) base = "/etc/xdg";
    }
    return base / "korvane" / "registry";
}

bool RegKey::resolve(Hive hive, std::string_view path, bool create) {
    close();
    auto parts = splitPath(path);
    if (!parts) return false;
    fs::path dir = hiveRoot(hive);
    std::error_code ec;
    if (create) {
        fs::create_directories(dir, ec);
        if (ec) return false;
    }
    if (!fs::is_directory(dir, ec)) return false;
    for (const auto& part : *parts) {
        if (auto found = findSubKey(dir, part)) {
            dir = *found;
            continue;
        }
        if (!create) return false;
        fs::path next = dir / keyNameToDisk(part);
        fs::create_directory(next, ec);
        if (ec || !fs::is_directory(next, ec)) return false;
        dir = next;
    }
    open_ = true;
    hive_ = hive;
    dir_ = dir;
    return true;
}

bool RegKey::open(Hive hive, std::string_view path) {
    return resolve(hive, path, false);
}
bool RegKey::create(Hive hive, std::string_view path) {
    return resolve(hive, path, true);
}

void RegKey::close() {
    open_ = false;
    dir_.clear();
}

bool RegKey::queryString(std::string_view name, std::string& out) const {
    if (!open_) return false;
    Values values = loadValues(dir_);
    Entry* e = values.find(name);
    if (!e || e->type != ValueType::String) return false;
    out = e->text;
    return true;
}

bool RegKey::queryInteger(std::string_view name, std::int64_t& out) const {
    if (!open_) return false;
    Values values = loadValues(dir_);
    Entry* e = values.find(name);
    if (!e || e->type != ValueType::Integer) return false;
    out = e->number;
    return true;
}

ValueType RegKey::queryType(std::string_view name) const {
    if (!open_) return ValueType::None;
    Values values = loadValues(dir_);
    Entry* e = values.find(name);
    return e ? e->type : ValueType::None;
}

bool RegKey::setString(std::string_view name, std::string_view value) {
    if (!open_) return false;
    return modify(dir_, [&](Values& values) {
        Entry* e = values.find(name);
        if (!e) e = &values.entries.emplace_back(Entry{std::string(name), ValueType::String, {}, 0, true});
        e->type = ValueType::String;
        e->text = value;
        return true;
    });
}

bool RegKey::setInteger(std::string_view name, std::int64_t value) {
    if (!open_) return false;
    return modify(dir_, [&](Values& values) {
        Entry* e = values.find(name);
        if (!e) e = &values.entries.emplace_back(Entry{std::string(name), ValueType::Integer, {}, 0, true});
        e->type = ValueType::Integer;
        e->text.clear();
        e->number = value;
        return true;
    });
}

bool RegKey::deleteValue(std::string_view name) {
    if (!open_) return false;
    return modify(dir_, [&](Values& values) {
        Entry* e = values.find(name);
        if (!e) return false;
        values.entries.erase(values.entries.begin() + (e - values.entries.data()));
        return true;
    });
}

bool RegKey::enumKey(std::size_t index, std::string& name) const {
    if (!open_) return false;
    auto keys = listSubKeys(dir_);
    if (index >= keys.size()) return false;
    name = keys[index].first;
    return true;
}

bool RegKey::enumValue(std::size_t index, std::string& name, ValueType& type) const {
    if (!open_) return false;
    Values values = loadValues(dir_);
    std::size_t seen = 0;
    for (const auto& e : values.entries) {
        if (!e.valid) continue;
        if (seen++ == index) {
            name = e.name;
            type = e.type;
            return true;
        }
    }
    return false;
}

bool RegKey::deleteSubKey(std::string_view name) {
    if (!open_ || !validKeyName(name)) return false;
    FolderLock lock(dir_);
    if (!lock.held()) return false;
    auto sub = findSubKey(dir_, name);
    if (!sub || !listSubKeys(*sub).empty()) return false;
    std::error_code ec;
    fs::remove(*sub / kValuesFile, ec);
    fs::remove(*sub / kBackupFile, ec);
    return fs::remove(*sub, ec) && !ec;
}

} // namespace korvane::registry
