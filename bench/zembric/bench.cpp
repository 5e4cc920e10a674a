// zembric-bench [--dir DIR] [--shell PATH] [--reuse] N...: for each size N, generates a sample component
// database of N components, times the whole hidden rebuild run on it, and times the sqlite3 shell running the
// same changing statements and the compaction on a copy of the same file. Prints the figures.
#include "database/Database.h"
#include "database/Sample.h"
#include "zembric/run.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// CPU seconds (user and system) this process has used, or its waited-for children have.
double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

bool copyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    return in.good() && out.good();
}

long count(const std::string& path, const char* table) {
    sqlite3* db = nullptr;
    long n = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        std::string sql = std::string("SELECT count(*) FROM ") + table;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = static_cast<long>(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

long fileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// Runs shell with its standard input from script; returns its exit status (-1 when it could not run).
int runShell(const std::string& shell, const std::string& db, const std::string& script) {
    std::fflush(nullptr); // the child must not write out the parent's buffered output again
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (!std::freopen(script.c_str(), "r", stdin)) _exit(127);
        if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
        execlp(shell.c_str(), shell.c_str(), "-bail", db.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Notes when each log line appears, so that the time of each step can be told.
class TimingView final : public zembric::IRunView {
  public:
    void ShowLogLine(const std::string& line) override {
        lines.push_back({line, std::chrono::steady_clock::now()});
        cpu.push_back(cpuSeconds(RUSAGE_SELF));
    }
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void SetWaitCursor(bool) override {}
    void PumpMessages() override {}
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> lines;
    std::vector<double> cpu;
};

} // namespace

int main(int argc, char** argv) {
    std::string dir = "/tmp/zembric-bench";
    std::string shell = "sqlite3";
    std::vector<long> sizes;
    bool reuse = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (a == "--reuse") {
            reuse = true;
        } else if (a == "--shell" && i + 1 < argc) {
            shell = argv[++i];
        } else {
            char* end = nullptr;
            long n = std::strtol(a.c_str(), &end, 10);
            if (*end || n <= 0 || n > 50000000) {
                std::fprintf(stderr, "usage: %s [--dir DIR] [--shell PATH] [--reuse] COMPONENTS...\n",
                             argv[0]);
                return 2;
            }
            sizes.push_back(n);
        }
    }
    if (sizes.empty()) sizes = {10000};
    mkdir(dir.c_str(), 0755);

    // Wall-clock times and their ratio, then CPU times and theirs: on a loaded machine the CPU figures
    // are the steadier ones.
    std::printf("%12s %10s %10s %10s %8s %10s %10s %8s %12s %12s\n", "components", "generate", "zembric",
                "sqlite3", "ratio", "cpu(ours)", "cpu(shell)", "cpu-ratio", "left(ours)", "left(shell)");
    for (long n : sizes) {
        std::string db = dir + "/bench_" + std::to_string(n) + ".db";
        std::string copy = dir + "/bench_" + std::to_string(n) + "_shell.db";
        std::string script = dir + "/bench_" + std::to_string(n) + ".sql";
        std::string log = dir + "/Zembric.log";

        // A pristine file per size, generated once and reused with --reuse.
        std::string pristine = dir + "/bench_" + std::to_string(n) + ".orig.db";
        korvane_db::SampleOptions o;
        o.components = n;
        o.seed = 2026;
        auto t0 = std::chrono::steady_clock::now();
        double generate = 0;
        if (!reuse || fileSize(pristine) <= 0) {
            korvane_db::WriteSampleDatabase(pristine, o);
            generate = seconds(t0);
        }
        if (!copyFile(pristine, db) || !copyFile(pristine, copy)) {
            std::fprintf(stderr, "cannot copy %s\n", pristine.c_str());
            return 1;
        }
        long sizeBefore = fileSize(db);

        // The whole hidden run, with its statements recorded for the shell.
        std::vector<std::string> statements;
        CBenlowDatabase::SetStatementTrace([&](const std::string& s) { statements.push_back(s); });
        zembric::RunSettings s;
        s.dbPath = db;
        s.keepAccess = "A0&A1";
        s.dropManufacturer = "Gresham";
        s.visible = false;
        TimingView view;
        t0 = std::chrono::steady_clock::now();
        double cpu0 = cpuSeconds(RUSAGE_SELF);
        bool ok;
        {
            zembric::CZembricRun run(s, view, log);
            ok = run.Run();
        }
        double ours = seconds(t0);
        double oursCpu = cpuSeconds(RUSAGE_SELF) - cpu0;
        CBenlowDatabase::SetStatementTrace(nullptr);
        if (!ok) {
            std::fprintf(stderr, "the run failed on %s\n", db.c_str());
            return 1;
        }

        // The shell gets the same connection settings, every changing statement, then the compaction on
        // the file back in its own journal mode.
        {
            std::ofstream out(script, std::ios::trunc);
            out << "PRAGMA journal_mode = WAL;\nPRAGMA synchronous = NORMAL;\nPRAGMA cache_size = -65536;\n";
            for (const std::string& st : statements)
                if (st != "VACUUM") out << st << ";\n";
            out << "PRAGMA journal_mode = DELETE;\nVACUUM;\n";
        }
        t0 = std::chrono::steady_clock::now();
        double childCpu0 = cpuSeconds(RUSAGE_CHILDREN);
        int rc = runShell(shell, copy, script);
        double theirs = seconds(t0);
        double theirsCpu = cpuSeconds(RUSAGE_CHILDREN) - childCpu0;
        if (rc != 0) {
            std::fprintf(stderr, "%s failed (status %d) on %s\n", shell.c_str(), rc, script.c_str());
            return 1;
        }
        long leftOurs = count(db, "SYS_MAPPING_COMP_MODEL") + count(db, "SYS_COMPONENT");
        long leftShell = count(copy, "SYS_MAPPING_COMP_MODEL") + count(copy, "SYS_COMPONENT");
        std::printf("%12ld %9.2fs %9.2fs %9.2fs %8.2f %9.2fs %9.2fs %8.2f %12ld %12ld\n", n, generate, ours,
                    theirs, theirs > 0 ? ours / theirs : 0.0, oursCpu, theirsCpu,
                    theirsCpu > 0 ? oursCpu / theirsCpu : 0.0, leftOurs, leftShell);
        std::printf("%12s statements: %zu, file %ld -> %ld bytes\n", "", statements.size(), sizeBefore,
                    fileSize(db));
        for (size_t i = 0; i + 1 < view.lines.size(); ++i) {
            double step =
                std::chrono::duration<double>(view.lines[i + 1].second - view.lines[i].second).count();
            double stepCpu = view.cpu[i + 1] - view.cpu[i];
            if (step >= 0.05 * ours || stepCpu >= 0.05 * oursCpu)
                std::printf("%12s %8.2fs %8.2fs cpu  %s\n", "", step, stepCpu, view.lines[i].first.c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
