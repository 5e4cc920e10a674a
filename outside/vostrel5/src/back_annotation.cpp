#include "vostrel5/BackAnnotation.h"

#include "vostrel5/change_log.h"

#include "platform/line_reader.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <sys/stat.h>

void CBackAnnotationRecord::GetParameters(std::vector<CString>& params) const {
    params.clear();
    for (const auto& p : params_)
        params.emplace_back(p);
}

CBackAnnotationManager::CBackAnnotationManager(const char* logPath, int mode) {
    std::string path = logPath ? logPath : "";
    if (mode != kModeRead) {
        Fail(kBadMode, "The layout change log \"" + path + "\" cannot be opened in mode " +
                           std::to_string(mode) + "; only mode 2 (read) is supported.");
        return;
    }
    Read(path);
}

void CBackAnnotationManager::Fail(int status, std::string message) {
    status_ = status;
    error_ = std::move(message);
    entries_.clear();
}

void CBackAnnotationManager::Read(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        Fail(kCannotRead,
             "Cannot open the layout change log \"" + path + "\": " + std::strerror(errno) + ".");
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        Fail(kCannotRead, "Cannot open the layout change log \"" + path + "\": it is not a file.");
        return;
    }
    korvane::LineReader in;
    if (!in.open(path, vostrel5::kChangeLogLimits)) {
        Fail(kCannotRead, "Cannot open the layout change log \"" + path + "\": " + in.error() + ".");
        return;
    }
    auto where = [&](int line) { return path + ", line " + std::to_string(line) + ": "; };
    std::string line;
    int lineNo = 0;
    bool haveVersion = false;
    korvane::LineReader::Result got;
    while ((got = in.next(line)) == korvane::LineReader::Result::Line) {
        ++lineNo;
        if (!haveVersion) {
            std::istringstream first(line);
            std::string magic, version, extra;
            first >> magic >> version;
            if (magic != vostrel5::kLogMagic || version.empty() || (first >> extra)) {
                Fail(kNotALog, where(lineNo) + "this is not a layout change log (the first line must be \"" +
                                   vostrel5::kLogMagic + " " + std::to_string(vostrel5::kLogVersion) +
                                   "\").");
                return;
            }
            if (version != std::to_string(vostrel5::kLogVersion)) {
                Fail(kUnknownVersion, where(lineNo) + "the log is of version \"" +
                                          korvane::clipForMessage(version) +
                                          "\"; this library reads version " +
                                          std::to_string(vostrel5::kLogVersion) + " only.");
                return;
            }
            haveVersion = true;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        Entry e;
        size_t at = 0;
        if (line[0] == '!') {
            e.withdrawn = true;
            at = 1;
        }
        size_t tab = line.find('\t', at);
        std::string idText = line.substr(at, tab == std::string::npos ? std::string::npos : tab - at);
        if (idText.empty() || idText.find_first_not_of("0123456789") != std::string::npos ||
            vostrel5::ChangeId(idText) < 0) {
            Fail(kMalformed,
                 where(lineNo) + "\"" + korvane::clipForMessage(idText) + "\" is not an action id.");
            return;
        }
        e.record.id_ = vostrel5::ChangeId(idText);
        while (tab != std::string::npos) {
            size_t next = line.find('\t', tab + 1);
            std::string field =
                line.substr(tab + 1, next == std::string::npos ? std::string::npos : next - tab - 1);
            std::string text;
            if (!vostrel5::UnescapeField(field, text)) {
                Fail(kMalformed, where(lineNo) + "parameter " + std::to_string(e.record.params_.size() + 1) +
                                     " has a broken escape (only \\\\, \\t, \\n and \\r are known).");
                return;
            }
            e.record.params_.push_back(std::move(text));
            tab = next;
        }
        entries_.push_back(std::move(e));
    }
    if (got == korvane::LineReader::Result::Error) {
        Fail(kCannotRead, "Cannot read the layout change log \"" + path + "\": " + in.error() + ".");
        return;
    }
    if (!haveVersion)
        Fail(kNotALog, where(1) + "the file is empty, not a layout change log (the first line must be \"" +
                           vostrel5::kLogMagic + " " + std::to_string(vostrel5::kLogVersion) + "\").");
}

int CBackAnnotationManager::GetLogEntry(int i, CBackAnnotationRecord& record) const {
    if (i < 0 || i >= GetLogEntryCount()) return 0;
    const Entry& e = entries_[static_cast<size_t>(i)];
    if (e.withdrawn) return 0;
    record = e.record;
    return 1;
}

void CBackAnnotationManager::Remove() {
    entries_.clear();
}
