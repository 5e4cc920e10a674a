#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("atomic-test-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    // Everything in the folder, so that a temporary left behind shows.
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(path), {})); }
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_mode;
}

TEST(AtomicFile, NewFileGetsTheUmaskModeAndTheExactBytes) {
    TempDir dir;
    const mode_t old = ::umask(027);
    std::string error;
    const std::string data("a\0b\r\n", 5);
    const bool ok = korvane::writeFileAtomically((dir.path / "new.txt").string(), data, error);
    ::umask(old);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(readFile(dir.path / "new.txt"), data);
    EXPECT_EQ(modeOf(dir.path / "new.txt") & 07777, 0640u);
    EXPECT_EQ(dir.entries(), 1u);
}

class KeepsMode : public testing::TestWithParam<mode_t> {};

TEST_P(KeepsMode, ReplacingKeepsThePermissionsOfTheOldFile) {
    TempDir dir;
    const fs::path target = dir.path / "model.lib";
    writeFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), GetParam()), 0);
    std::string error;
    ASSERT_TRUE(korvane::writeFileAtomically(target.string(), "new", error)) << error;
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(modeOf(target) & 07777, GetParam());
    EXPECT_EQ(dir.entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Modes, KeepsMode, testing::Values(0600, 0640, 0755, 0444));

TEST(AtomicFile, SymbolicLinksAreFollowedAndStayLinks) {
    TempDir dir;
    fs::create_directories(dir.path / "real");
    const fs::path file = dir.path / "real" / "data.apt";
    writeFile(file, "old");
    ::chmod(file.c_str(), 0600);
    // A relative link to the file, and a link to that link from the top folder.
    fs::create_symlink("real/data.apt", dir.path / "first");
    fs::create_symlink(dir.path / "first", dir.path / "second");

    std::string error;
    ASSERT_TRUE(korvane::writeFileAtomically((dir.path / "second").string(), "new", error)) << error;
    EXPECT_TRUE(S_ISLNK(modeOf(dir.path / "first")));
    EXPECT_TRUE(S_ISLNK(modeOf(dir.path / "second")));
    EXPECT_EQ(readFile(file), "new");
    EXPECT_EQ(modeOf(file) & 07777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "real"), {}), 1);

    // A link to a file not yet made: the file is made where the link points.
    fs::create_symlink("real/later.apt", dir.path / "dangling");
    ASSERT_TRUE(korvane::writeFileAtomically((dir.path / "dangling").string(), "made", error)) << error;
    EXPECT_TRUE(S_ISLNK(modeOf(dir.path / "dangling")));
    EXPECT_EQ(readFile(dir.path / "real" / "later.apt"), "made");

    // A loop of links is refused.
    fs::create_symlink("loop-b", dir.path / "loop-a");
    fs::create_symlink("loop-a", dir.path / "loop-b");
    EXPECT_FALSE(korvane::writeFileAtomically((dir.path / "loop-a").string(), "x", error));
    EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
}

// Makes a node of each kind that must never be replaced by a file; false when this one cannot be made
// here (a device needs root).
bool makeNode(const std::string& kind, const fs::path& p) {
    if (kind == "a folder") {
        fs::create_directory(p);
        writeFile(p / "inside", "kept");
        return true;
    }
    if (kind == "a FIFO") return ::mkfifo(p.c_str(), 0644) == 0;
    if (kind == "a device") return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (kind == "a socket") {
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (p.string().size() >= sizeof addr.sun_path) return false;
        std::strcpy(addr.sun_path, p.c_str());
        const bool ok = ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::close(s);
        return ok;
    }
    return false;
}

class RefusesNode : public testing::TestWithParam<std::string> {};

TEST_P(RefusesNode, OnlyARegularFileIsReplaced) {
    TempDir dir;
    const fs::path node = dir.path / "out";
    if (!makeNode(GetParam(), node)) GTEST_SKIP() << GetParam() << " cannot be made here";
    const mode_t before = modeOf(node) & S_IFMT;
    // Directly and through a link.
    fs::create_symlink("out", dir.path / "link");
    for (const char* name : {"out", "link"}) {
        std::string error;
        EXPECT_FALSE(korvane::writeFileAtomically((dir.path / name).string(), "text", error)) << name;
        EXPECT_NE(error.find(GetParam()), std::string::npos) << error;
        EXPECT_EQ(modeOf(node) & S_IFMT, before);
        EXPECT_TRUE(S_ISLNK(modeOf(dir.path / "link")));
        EXPECT_EQ(dir.entries(), 2u) << "no temporary left";
    }
    if (GetParam() == "a folder") {
        EXPECT_EQ(readFile(node / "inside"), "kept");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RefusesNode, testing::Values("a folder", "a FIFO", "a device", "a socket"));

TEST(AtomicFile, AMissingFolderIsNamedAsSuch) {
    TempDir dir;
    std::string error;
    const fs::path target = dir.path / "gone" / "model.lib";
    EXPECT_FALSE(korvane::writeFileAtomically(target.string(), "x", error));
    EXPECT_NE(error.find("the folder " + (dir.path / "gone").string() + " does not exist"), std::string::npos)
        << error;
    EXPECT_NE(error.find("model.lib cannot be written"), std::string::npos) << error;
    EXPECT_EQ(dir.entries(), 0u);

    // A file where the folder should be.
    writeFile(dir.path / "plain", "x");
    EXPECT_FALSE(korvane::writeFileAtomically((dir.path / "plain" / "model.lib").string(), "x", error));
    EXPECT_NE(error.find((dir.path / "plain").string() + " is not a folder"), std::string::npos) << error;
}

TEST(AtomicFile, AWriteThatFailsLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const fs::path target = dir.path / "big.txt";
    writeFile(target, "the old contents");
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Files over 64 bytes cannot be written in the child: the write fails part-way.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool ok = korvane::writeFileAtomically(target.string(), std::string(4096, 'x'), error);
        const std::string report = (ok ? "saved" : "failed: ") + error;
        (void)!::write(pipeFds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(report.rfind("failed: ", 0), 0u) << report;
    EXPECT_NE(report.find("big.txt cannot be written"), std::string::npos) << report;
    EXPECT_EQ(readFile(target), "the old contents");
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(AtomicFile, AFailedCommitIsAnErrorAndAnUncommittedFileLeavesNothing) {
    TempDir dir;
    const fs::path target = dir.path / "out.txt";
    {
        korvane::AtomicFile f;
        ASSERT_TRUE(f.open(target.string())) << f.error();
        ASSERT_TRUE(f.write("never committed"));
        EXPECT_EQ(dir.entries(), 1u); // the temporary, hidden beside the target
    }
    EXPECT_EQ(dir.entries(), 0u);
    EXPECT_FALSE(fs::exists(target));

    // The target turns into a non-empty folder between open and commit: the rename fails.
    korvane::AtomicFile f;
    ASSERT_TRUE(f.open(target.string())) << f.error();
    ASSERT_TRUE(f.write("text"));
    fs::create_directory(target);
    writeFile(target / "inside", "kept");
    EXPECT_FALSE(f.commit());
    EXPECT_NE(f.error().find("out.txt cannot be written"), std::string::npos) << f.error();
    EXPECT_EQ(readFile(target / "inside"), "kept");
    EXPECT_EQ(dir.entries(), 1u);
    // Nothing more can be written or committed after a failure.
    EXPECT_FALSE(f.write("more"));
    EXPECT_FALSE(f.commit());
}

} // namespace
