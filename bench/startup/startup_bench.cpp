// Start-up of command-line runs against the floor (a trivial program that loads one plug-in): whole
// processes, run side by side in alternation, medians of wall-clock time.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// One run with standard output and error sent to /dev/null; milliseconds, or a negative value when the
// program could not be started or did not exit 0.
double runOnce(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    // A second host (another build, e.g. before a change) is measured side by side with this one.
    const std::string other = argc > 2 ? argv[2] : "";
    const std::string plugin = (bin / "plugins" / "Soskin.so").string();
    struct Program {
        const char* label;
        std::vector<std::string> args;
        std::vector<double> ms;
    };
    std::vector<Program> programs = {
        {"floor (dlopen Soskin.so)", {(bin / "startup_floor").string(), plugin}, {}},
        {"korvane-host run Soskin", {(bin / "korvane-host").string(), "run", "Soskin"}, {}},
        {"korvane-host list", {(bin / "korvane-host").string(), "list"}, {}},
    };
    if (!other.empty()) {
        programs.push_back({"other host: run Soskin", {other, "run", "Soskin"}, {}});
        programs.push_back({"other host: list", {other, "list"}, {}});
    }
    for (auto& p : programs)
        if (runOnce(p.args) < 0) {
            std::fprintf(stderr, "startup_bench: %s does not run\n", p.label);
            return 1;
        }
    // Alternating keeps a change of machine load from favouring one program.
    for (int i = 0; i < rounds; ++i)
        for (auto& p : programs)
            p.ms.push_back(runOnce(p.args));
    const double floor = median(programs[0].ms);
    std::printf("start-up, median of %d runs each (ratio to the floor)\n", rounds);
    for (const auto& p : programs)
        std::printf("  %-28s %7.2f ms  %5.2fx\n", p.label, median(p.ms), median(p.ms) / floor);
    return 0;
}
