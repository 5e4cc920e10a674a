#include "zembric/log.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace zembric {

std::string ProgramFolder(const std::string& modulePath) {
    size_t slash = modulePath.find_last_of("/\\");
    if (slash != std::string::npos) return modulePath.substr(0, slash + 1);
    size_t colon = modulePath.find(':');
    if (colon != std::string::npos) return modulePath.substr(0, colon + 1);
    return {};
}

namespace {
bool isFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string join(const std::string& folder, const char* name) {
    if (folder.empty()) return name;
    char last = folder.back();
    return (last == '/' || last == '\\' || last == ':') ? folder + name : folder + "/" + name;
}
} // namespace

std::string LogFilePath(const std::string& programFolder) {
    const char* tmp = std::getenv("TMPDIR");
    if (tmp && isFolder(tmp)) return join(tmp, "Zembric.log");
    if (isFolder("/tmp")) return join("/tmp", "Zembric.log");
    return join(programFolder, "Zembric.log");
}

bool AppendLogLine(const std::string& path, const std::string& line) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size() && std::fwrite("\r\n", 1, 2, f) == 2;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

} // namespace zembric
