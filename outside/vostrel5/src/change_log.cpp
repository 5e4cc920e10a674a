#include "vostrel5/change_log.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vostrel5 {

const std::vector<std::string>& ChangeNames() {
    static const std::vector<std::string> names = {
        "",
        "COMPONENT_REMOVE",
        "COMPONENT_ADD",
        "COMPONENT_CHANGE_DEVICE",
        "COMPONENT_CHANGE_REFDES",
        "COMPONENT_CHANGE_VALUE",
        "COMPONENT_CHANGE_PACKAGETYPE",
        "NET_REMOVE_PIN",
        "NET_ADD_PIN",
        "NET_MERGE",
        "NET_CHANGE_NAME",
        "NET_CHANGE_WIDTH",
        "GATE_SWAP",
        "PIN_SWAP",
        "COMPONENT_RENUMBER",
    };
    return names;
}

int ChangeId(const std::string& word) {
    if (word.empty()) return -1;
    if (word.find_first_not_of("0123456789") == std::string::npos) {
        errno = 0;
        unsigned long v = std::strtoul(word.c_str(), nullptr, 10);
        if (errno == ERANGE || v > static_cast<unsigned long>(INT_MAX)) return -1;
        return static_cast<int>(v);
    }
    const auto& names = ChangeNames();
    for (size_t id = 1; id < names.size(); ++id)
        if (names[id] == word) return static_cast<int>(id);
    return -1;
}

std::string EscapeField(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool UnescapeField(const std::string& field, std::string& text) {
    text.clear();
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        if (++i >= field.size()) return false;
        switch (field[i]) {
        case '\\':
            text += '\\';
            break;
        case 't':
            text += '\t';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string FormatLog(const std::vector<LogRecord>& records, int version) {
    std::string out = std::string(kLogMagic) + " " + std::to_string(version) + "\n";
    for (const auto& r : records) {
        if (r.withdrawn) out += '!';
        out += std::to_string(r.id);
        for (const auto& p : r.params)
            out += "\t" + EscapeField(p);
        out += '\n';
    }
    return out;
}

namespace {

// Splits one description line into words; false on an unclosed quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words) {
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) c = line[i++];
                word += c;
            }
            if (!closed) return false;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
        }
        words.push_back(word);
    }
    return true;
}

} // namespace

bool ParseDescription(const std::string& text, std::vector<LogRecord>& records, std::string& error) {
    size_t start = 0;
    int lineNo = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        LogRecord r;
        if (line[first] == '!') {
            r.withdrawn = true;
            ++first;
        }
        std::vector<std::string> words;
        if (!SplitWords(line.substr(first), words) || words.empty()) {
            error = "line " + std::to_string(lineNo) + ": a quoted word is not closed";
            return false;
        }
        r.id = ChangeId(words[0]);
        if (r.id < 0) {
            error = "line " + std::to_string(lineNo) + ": \"" + korvane::clipForMessage(words[0]) +
                    "\" is neither a change name nor an id";
            return false;
        }
        r.params.assign(words.begin() + 1, words.end());
        records.push_back(std::move(r));
    }
    return true;
}

} // namespace vostrel5
