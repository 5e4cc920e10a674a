// lumbra-cam-stub: a stand-in for the CAM host program that starts the editor to edit one aperture. It
// serves the link (the service "Fennick Lumbra", topic "Data Transfer", on the service's socket in the
// runtime folder), starts the editor on a file, and reports on stdout what the editor sent and how it
// ended. Options let tests drop the link or leave pokes unanswered.
#include "lumbraapp/hostlink.h"

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/ipc.h>
#include <wx/log.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::optional<std::string> script;
    std::string editor;
    std::string file;
    long dropAfterMs = -1;
    bool dropOnPoke = false;
    bool answer = true;
};

int usage() {
    std::fprintf(
        stderr, "usage: lumbra-cam-stub [--script S] [--drop-after MS | --drop-on-poke] [--no-answer]\n"
                "                       [--editor PROGRAM] FILE\n"
                "  serves the editor's host link, starts the editor on FILE (with --script S: headless) and\n"
                "  prints what the editor sends and its exit code. --drop-after MS ends the link MS\n"
                "  milliseconds after the editor connects, --drop-on-poke instead of answering a poke;\n"
                "  --no-answer leaves pokes unanswered. PROGRAM is `lumbra` beside this program unless\n"
                "  given. Exit code: 0 when the editor ran, 2 for a bad command line, 3 when the link\n"
                "  cannot be served or the editor not started.\n");
    return 2;
}

bool parseMs(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < 0) return false;
    out = v;
    return true;
}

// The received bytes as a C string literal; long data is cut so that a report stays readable.
std::string quoted(const void* data, size_t size) {
    constexpr size_t kShown = 256;
    const auto* p = static_cast<const unsigned char*>(data);
    std::string out = "\"";
    for (size_t i = 0; i < size && i < kShown; ++i) {
        unsigned char c = p[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == 0) {
            out += "\\0";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    if (size > kShown) out += "...";
    return out;
}

const char* formatName(wxIPCFormat f) {
    switch (f) {
    case wxIPC_TEXT:
        return "text";
    case wxIPC_UTF8TEXT:
        return "utf8";
    case wxIPC_UNICODETEXT:
        return "unicode";
    case wxIPC_PRIVATE:
        return "private";
    default:
        return "other";
    }
}

void report(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Host;

class Conversation : public wxConnection {
  public:
    explicit Conversation(Host& host) : host_(host) {}
    bool OnPoke(const wxString& topic, const wxString& item, const void* data, size_t size,
                wxIPCFormat format) override;
    bool OnDisconnect() override;

  private:
    Host& host_;
};

class Host : public wxServer {
  public:
    explicit Host(const Options& options) : options_(options) {}
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    // A conversation whose end was not heard of before the stub ends.
    ~Host() override { delete conversation_; }

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        if (conversation_ || topic != lumbra::kHostTopic) {
            report("refused topic=" + quoted(topic.utf8_str().data(), topic.utf8_str().length()));
            return nullptr;
        }
        conversation_ = new Conversation(*this);
        connectedAt_ = Clock::now();
        report("connect topic=" + quoted(topic.utf8_str().data(), topic.utf8_str().length()));
        return conversation_;
    }

    void poked(Conversation& c, const wxString& item, const void* data, size_t size, wxIPCFormat format) {
        const wxScopedCharBuffer name = item.utf8_str();
        report("poke item=" + quoted(name.data(), name.length()) + " format=" + formatName(format) +
               " size=" + std::to_string(size) + " data=" + quoted(data, size));
        // The answer the editor waits for: the same item advised back. A drop cannot happen inside the
        // conversation's own handler; the loop does it next.
        if (options_.dropOnPoke)
            dropNow_ = true;
        else if (options_.answer)
            c.Advise(item, data, size, format);
    }

    void disconnected(Conversation& c) {
        if (&c == conversation_) conversation_ = nullptr;
        report("disconnect");
    }

    // Ends the conversation from the host's side once its time has come.
    void dropWhenDue() {
        if (!conversation_) return;
        if (!dropNow_ && (options_.dropAfterMs < 0 ||
                          Clock::now() - connectedAt_ < std::chrono::milliseconds(options_.dropAfterMs)))
            return;
        dropNow_ = false;
        conversation_->Disconnect();
        delete conversation_;
        conversation_ = nullptr;
        report("drop");
    }

    bool talking() const { return conversation_ != nullptr; }

  private:
    const Options& options_;
    Conversation* conversation_ = nullptr;
    Clock::time_point connectedAt_;
    bool dropNow_ = false;
};

bool Conversation::OnPoke(const wxString&, const wxString& item, const void* data, size_t size,
                          wxIPCFormat format) {
    host_.poked(*this, item, data, size, format);
    return true;
}

bool Conversation::OnDisconnect() {
    host_.disconnected(*this);
    return wxConnection::OnDisconnect(); // deletes this conversation
}

// Whether something already accepts connections on the socket (another host is running).
bool someoneListens(const std::string& path) {
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    bool listens = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return listens;
}

std::string editorBesideUs() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("lumbra") : (exe.parent_path() / "lumbra").string();
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--script" && hasValue) {
            o.script = args[++i];
        } else if (a == "--editor" && hasValue) {
            o.editor = args[++i];
        } else if (a == "--drop-after" && hasValue) {
            if (!parseMs(args[++i].c_str(), o.dropAfterMs)) {
                std::fprintf(stderr, "lumbra-cam-stub: --drop-after wants milliseconds, not \"%s\"\n",
                             args[i].c_str());
                return usage();
            }
        } else if (a == "--drop-on-poke") {
            o.dropOnPoke = true;
        } else if (a == "--no-answer") {
            o.answer = false;
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            return usage();
        }
    }
    if (o.file.empty()) return usage();
    if (o.editor.empty()) o.editor = editorBesideUs();
    std::signal(SIGPIPE, SIG_IGN);

    const std::string path = lumbra::hostSocketPath(lumbra::kHostService);
    if (path.empty()) {
        std::fprintf(stderr,
                     "lumbra-cam-stub: no runtime folder (XDG_RUNTIME_DIR is unset or not absolute)\n");
        return 3;
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "lumbra-cam-stub: %s cannot be made: %s\n", folder.c_str(),
                     std::strerror(errno));
        return 3;
    }
    if (someoneListens(path)) {
        std::fprintf(stderr, "lumbra-cam-stub: another host already serves %s\n", path.c_str());
        return 3;
    }

    wxInitializer toolkit;
    if (!toolkit.IsOk()) {
        std::fprintf(stderr, "lumbra-cam-stub: wxBase cannot be started\n");
        return 3;
    }
    wxLog::SetActiveTarget(new wxLogStderr);
    {
        Host host(o);
        if (!host.Create(wxString(path.c_str(), *wxConvFileName))) {
            std::fprintf(stderr, "lumbra-cam-stub: the link cannot be served at %s\n", path.c_str());
            return 3;
        }
        std::vector<std::string> editorArgs{o.editor};
        if (o.script) editorArgs.insert(editorArgs.end(), {"--script", *o.script});
        editorArgs.push_back(o.file);
        std::vector<char*> cargs;
        for (std::string& s : editorArgs)
            cargs.push_back(s.data());
        cargs.push_back(nullptr);
        pid_t pid = 0;
        if (int e = ::posix_spawn(&pid, o.editor.c_str(), nullptr, nullptr, cargs.data(), environ); e != 0) {
            std::fprintf(stderr, "lumbra-cam-stub: %s cannot be started: %s\n", o.editor.c_str(),
                         std::strerror(e));
            return 3;
        }

        std::unique_ptr<wxEventLoopBase> loop(wxAppConsole::GetInstance()->GetTraits()->CreateEventLoop());
        auto pump = [&](unsigned long ms) {
            loop->DispatchTimeout(ms);
            wxAppConsole::GetInstance()->ProcessPendingEvents();
        };
        int status = 0;
        for (;;) {
            pump(20);
            host.dropWhenDue();
            pid_t r = ::waitpid(pid, &status, WNOHANG);
            if (r == pid) break;
            if (r < 0 && errno != EINTR) {
                std::fprintf(stderr, "lumbra-cam-stub: the editor is lost: %s\n", std::strerror(errno));
                return 3;
            }
        }
        // What the editor sent before it ended is still to be read.
        const Clock::time_point until = Clock::now() + std::chrono::seconds(2);
        while (host.talking() && Clock::now() < until)
            pump(20);
        if (WIFEXITED(status))
            report("exit " + std::to_string(WEXITSTATUS(status)));
        else
            report("signal " + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0));
    }
    return 0;
}
