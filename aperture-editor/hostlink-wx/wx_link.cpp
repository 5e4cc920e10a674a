// The conversation with the CAM host over the toolkit's IPC: a client connection on the host's
// Unix-domain socket. This is a module of its own that the editor loads only when a host's socket file
// exists, so that runs without a host never map the toolkit's libraries.
//
// The toolkit's IPC poke carries no answer of its own; the host answers a poke by advising the same
// item, and the editor waits for that advice (or the end of the conversation) up to its limit.
#include "lumbraapp/hostlink.h"

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/ipc.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <memory>

namespace lumbra {
namespace {

class WxHostLink;

class Conversation : public wxConnection {
  public:
    explicit Conversation(WxHostLink& link) : link_(link) {}
    // The host ended the conversation. The link deletes this object; the toolkit's default would.
    bool OnDisconnect() override;
    bool OnAdvise(const wxString& topic, const wxString& item, const void* data, size_t size,
                  wxIPCFormat format) override;
    // Every blocking read or write of the conversation gives up after this long.
    void limitWaits(long seconds) {
        if (m_sock) m_sock->SetTimeout(seconds);
    }

  private:
    WxHostLink& link_;
};

class Client : public wxClient {
  public:
    explicit Client(WxHostLink& link) : link_(link) {}
    wxConnectionBase* OnMakeConnection() override { return new Conversation(link_); }

  private:
    WxHostLink& link_;
};

class WxHostLink final : public HostLink {
  public:
    WxHostLink() = default;
    WxHostLink(const WxHostLink&) = delete;
    WxHostLink& operator=(const WxHostLink&) = delete;
    ~WxHostLink() override {
        disconnect();
        loop_.reset();
        if (ownToolkit_) wxUninitialize();
    }

    bool connect(const std::string& service, const std::string& topic) override {
        disconnect();
        gone_ = false;
        const std::string path = hostSocketPath(service);
        if (path.empty() || !startToolkit()) return false;
        // A host that is not there (a socket file left behind) is no error to report.
        wxLogNull quiet;
        client_ = std::make_unique<Client>(*this);
        wxConnectionBase* made = client_->MakeConnection("localhost", wxString(path.c_str(), *wxConvFileName),
                                                         wxString::FromUTF8(topic));
        conversation_ = dynamic_cast<Conversation*>(made);
        if (!conversation_) {
            delete made;
            client_.reset();
            return false;
        }
        // A host that stops in the middle of a message holds the editor no longer than a poke may.
        conversation_->limitWaits(static_cast<long>(kPokeTimeoutMs / 1000));
        return true;
    }

    bool poke(const std::string& item, const std::string& text, unsigned timeoutMs) override {
        if (!conversation_ || gone_) return false;
        wxLogNull quiet;
        conversation_->limitWaits(std::max(1L, static_cast<long>((timeoutMs + 999) / 1000)));
        pokedItem_ = wxString::FromUTF8(item);
        answered_ = false;
        // Clipboard text: the characters and their terminating zero.
        if (!conversation_->Poke(pokedItem_, text.c_str(), text.size() + 1, wxIPC_TEXT)) return false;
        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!answered_ && !gone_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            pump(std::min<long>(left.count(), 100));
        }
        return answered_;
    }

    bool hostGone() override {
        if (conversation_ && !gone_) pump(0);
        return gone_;
    }

    void disconnect() override {
        if (conversation_) {
            wxLogNull quiet;
            conversation_->Disconnect();
            delete conversation_;
            conversation_ = nullptr;
        }
        client_.reset();
    }

    // --- from the conversation
    void hostDisconnected() { gone_ = true; }
    void advised(const wxString& item) {
        if (item == pokedItem_) answered_ = true;
    }

  private:
    // Starts wxBase for this process unless the toolkit already runs (a windowed editor).
    bool startToolkit() {
        if (loop_) return true;
        if (!wxAppConsole::GetInstance()) {
            // Whatever locale wxBase adopts, the editor keeps writing its numbers as it did.
            const char* current = std::setlocale(LC_ALL, nullptr);
            const std::string locale = current ? current : "C";
            const bool started = wxInitialize();
            std::setlocale(LC_ALL, locale.c_str());
            if (!started) return false;
            ownToolkit_ = true;
        }
        wxAppTraits* traits = wxAppConsole::GetInstance()->GetTraits();
        if (traits) loop_.reset(traits->CreateEventLoop());
        return loop_ != nullptr;
    }

    // Lets the toolkit read what the host sent (waiting at most `ms`) and deliver it. A running event
    // loop (a windowed editor) delivers the host's messages by itself; only a wait is dispatched in it.
    void pump(long ms) {
        wxEventLoopBase* running = wxEventLoopBase::GetActive();
        if (running && ms == 0) return;
        (running ? running : loop_.get())->DispatchTimeout(static_cast<unsigned long>(ms));
        if (wxAppConsole* app = wxAppConsole::GetInstance()) app->ProcessPendingEvents();
    }

    std::unique_ptr<wxEventLoopBase> loop_;
    bool ownToolkit_ = false;
    std::unique_ptr<Client> client_;
    Conversation* conversation_ = nullptr;
    bool gone_ = false;
    bool answered_ = false;
    wxString pokedItem_;
};

bool Conversation::OnDisconnect() {
    link_.hostDisconnected();
    return true;
}

bool Conversation::OnAdvise(const wxString&, const wxString& item, const void*, size_t, wxIPCFormat) {
    link_.advised(item);
    return true;
}

} // namespace
} // namespace lumbra

// The one entry point the editor resolves after loading this module.
extern "C" __attribute__((visibility("default"))) lumbra::HostLink* lumbra_wx_host_link() {
    return new lumbra::WxHostLink();
}
