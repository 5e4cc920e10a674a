#include "app_fixture.h"
#include "socket_link.h"

#include <atomic>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

namespace lumbra::apptest {

namespace {

// A CAM host stand-in on the socket: answers the connection as told, records pokes, and closes the
// conversation when asked.
class TestHost {
  public:
    std::string connectReply = "OK\n";
    bool ackPokes = true;
    std::string topic, pokedItem, pokedData;
    std::atomic<bool> closeNow{false};

    explicit TestHost(const std::string& path) {
        listen_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        bound_ = ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                 ::listen(listen_, 1) == 0;
    }
    ~TestHost() {
        closeNow = true;
        if (thread_.joinable()) thread_.join();
        ::close(listen_);
    }
    bool bound() const { return bound_; }
    void start() {
        thread_ = std::thread([this] { serve(); });
    }
    void join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    bool line(int fd, std::string& out) {
        out.clear();
        char c;
        while (::recv(fd, &c, 1, 0) == 1) {
            if (c == '\n') return true;
            out += c;
        }
        return false;
    }
    void serve() {
        // Waits for the editor, but not past the end of the test.
        pollfd w{listen_, POLLIN, 0};
        for (int i = 0; i < 500 && !closeNow; ++i)
            if (::poll(&w, 1, 20) > 0) break;
        if (!(w.revents & POLLIN)) return;
        int fd = ::accept(listen_, nullptr, nullptr);
        if (fd < 0) return;
        std::string l;
        if (line(fd, l) && l.rfind("CONNECT ", 0) == 0) {
            topic = l.substr(8);
            ::send(fd, connectReply.data(), connectReply.size(), MSG_NOSIGNAL);
            // Pokes until told to hang up or the editor leaves.
            while (!closeNow) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0) continue;
                if (!line(fd, l)) break;
                size_t sp = l.rfind(' ');
                if (l.rfind("POKE ", 0) != 0 || sp == std::string::npos || sp < 5) break;
                pokedItem = l.substr(5, sp - 5);
                std::string data(std::stoul(l.substr(sp + 1)), '\0');
                size_t got = 0;
                while (got < data.size()) {
                    ssize_t n = ::recv(fd, data.data() + got, data.size() - got, 0);
                    if (n <= 0) break;
                    got += static_cast<size_t>(n);
                }
                pokedData = data;
                if (ackPokes) ::send(fd, "ACK\n", 4, MSG_NOSIGNAL);
            }
        }
        ::close(fd);
    }
    int listen_ = -1;
    bool bound_ = false;
    std::thread thread_;
};

} // namespace

class SocketLink : public AppTest {
  protected:
    std::string savedRuntime;
    bool hadRuntime = false;
    std::string socketFile;
    void SetUp() override {
        AppTest::SetUp();
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) hadRuntime = true, savedRuntime = r;
        ::setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
        std::filesystem::create_directories(dir / "run" / "korvane");
        socketFile = SocketHostLink::socketPath(kHostService);
    }
    void TearDown() override {
        if (hadRuntime)
            ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        AppTest::TearDown();
    }
};

TEST_F(SocketLink, TheServiceMapsToASocketInTheRuntimeFolder) {
    EXPECT_EQ(socketFile, (dir / "run" / "korvane" / "fennick-lumbra.sock").string());
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SocketHostLink::socketPath(kHostService), "");
    SocketHostLink link;
    EXPECT_FALSE(link.connect(kHostService, kHostTopic)); // no runtime folder: no host
}

TEST_F(SocketLink, NoHostOrARefusingHostMeansNoLink) {
    SocketHostLink link;
    EXPECT_FALSE(link.connect(kHostService, kHostTopic));
    TestHost host(socketFile);
    ASSERT_TRUE(host.bound());
    host.connectReply = "NO\n";
    host.start();
    EXPECT_FALSE(link.connect(kHostService, kHostTopic));
    host.join();
    EXPECT_EQ(host.topic, "Data Transfer");
}

TEST_F(SocketLink, APokeArrivesWithItsZeroAndTheHostHangingUpIsNoticed) {
    TestHost host(socketFile);
    ASSERT_TRUE(host.bound());
    host.start();
    SocketHostLink link;
    ASSERT_TRUE(link.connect(kHostService, kHostTopic));
    EXPECT_FALSE(link.hostGone());
    EXPECT_TRUE(link.poke(kHostItem, "AOK", 2000));
    EXPECT_EQ(host.pokedItem, "Data Transfer");
    EXPECT_EQ(host.pokedData, std::string("AOK\0", 4));
    host.closeNow = true;
    host.join();
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = link.hostGone();
        if (!gone) ::usleep(10000);
    }
    EXPECT_TRUE(gone);
    EXPECT_FALSE(link.poke(kHostItem, "AOK", 100));
}

TEST_F(SocketLink, APokeTheHostDoesNotAnswerGivesUpAtTheLimit) {
    TestHost host(socketFile);
    ASSERT_TRUE(host.bound());
    host.ackPokes = false;
    host.start();
    SocketHostLink link;
    ASSERT_TRUE(link.connect(kHostService, kHostTopic));
    EXPECT_FALSE(link.poke(kHostItem, "AOK", 150));
    link.disconnect();
    host.closeNow = true;
}

TEST_F(SocketLink, TheProgramStartedUnderAHostSavesPokesAndExitsWithOne) {
    TestHost host(socketFile);
    ASSERT_TRUE(host.bound());
    host.start();
    std::string file = path("linked.cap"), scr = path("s.txt");
    std::ofstream(file) << "$CustomApertureData\npad 0 0\n0\n";
    std::ofstream(scr) << "command 32776\nclick 240,180\nkey ctrl+s\ncommand 32776\n";
    std::string cmd = std::string(LUMBRA_PROGRAM) + " --script " + scr + " " + file + " 2>/dev/null";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    host.join();
    EXPECT_EQ(host.pokedData, std::string("AOK\0", 4));
    EXPECT_EQ(readFile(file), "$CustomApertureData\npad c670 c670\n1\n14 1 c670 0 0 0\n");
}

} // namespace lumbra::apptest
