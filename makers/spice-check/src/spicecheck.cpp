#include "spicecheck/spicecheck.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace spicecheck {

namespace {

std::string executable() {
    const char* env = std::getenv("NGSPICE");
    return env && *env ? env : "ngspice";
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

} // namespace

bool available() {
    std::string cmd = "command -v " + executable() + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::string circuit(const std::string& modelText, const std::string& elements,
                    const std::vector<std::string>& commands) {
    std::string c = "model check\n";
    // Model texts use CR LF; ngspice takes either, but keep the file plain.
    for (char ch : modelText)
        if (ch != '\r') c += ch;
    if (!c.empty() && c.back() != '\n') c += '\n';
    c += elements;
    if (!c.empty() && c.back() != '\n') c += '\n';
    c += ".control\n";
    for (const auto& cmd : commands)
        c += cmd + "\n";
    // Batch runs with a control block end with status 1 unless told otherwise; errors are read from
    // the output instead.
    c += "quit 0\n.endc\n.end\n";
    return c;
}

Run run(const std::string& netlist) {
    Run r;
    char dir[] = "/tmp/spicecheck-XXXXXX";
    if (!mkdtemp(dir)) return r;
    std::filesystem::path folder(dir);
    std::filesystem::path file = folder / "check.cir";
    {
        std::ofstream out(file);
        out << netlist;
    }
    std::string cmd = executable() + " -b '" + file.string() + "' 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe) {
        r.started = true;
        std::array<char, 4096> buf{};
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
            r.output.append(buf.data(), n);
        int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r.exitCode == 127) r.started = false;
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);

    std::istringstream lines(r.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::string t = trim(line);
        std::string l = lower(t);
        if (l.rfind("error", 0) == 0 || l.find("fatal") != std::string::npos) r.errors.push_back(t);
        size_t eq = t.find(" = ");
        if (eq == std::string::npos) continue;
        std::string name = lower(trim(t.substr(0, eq)));
        std::string value = trim(t.substr(eq + 3));
        char* end = nullptr;
        double v = std::strtod(value.c_str(), &end);
        if (end != value.c_str() && name.find(' ') == std::string::npos) r.values[name] = v;
    }
    return r;
}

std::vector<double> column(const std::string& output, const std::string& name) {
    std::vector<double> values;
    std::istringstream lines(output);
    std::string line;
    int col = -1;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;)
            w.push_back(lower(s));
        if (w.empty()) continue;
        if (w[0] == "index") {
            col = -1;
            for (size_t i = 0; i < w.size(); ++i)
                if (w[i] == lower(name)) col = static_cast<int>(i);
            continue;
        }
        if (col < 0 || static_cast<size_t>(col) >= w.size()) continue;
        bool numeric = !w[0].empty() &&
                       std::all_of(w[0].begin(), w[0].end(), [](unsigned char c) { return std::isdigit(c); });
        if (!numeric) continue;
        char* end = nullptr;
        double v = std::strtod(w[static_cast<size_t>(col)].c_str(), &end);
        if (end != w[static_cast<size_t>(col)].c_str()) values.push_back(v);
    }
    return values;
}

} // namespace spicecheck
