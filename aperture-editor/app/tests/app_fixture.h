// Runs the editor under a scripted presenter with its registry in a private folder.
#pragma once

#include "lumbraapp/app.h"
#include "lumbraapp/hostlink.h"

#include "platform/scripted.h"
#include "registry/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace lumbra::apptest {

class FakeLink : public HostLink {
  public:
    bool answers = true, gone = false;
    std::string service, topic;
    std::vector<std::tuple<std::string, std::string, unsigned>> pokes;
    int disconnects = 0;
    bool connect(const std::string& s, const std::string& t) override {
        service = s, topic = t;
        return answers;
    }
    bool poke(const std::string& item, const std::string& text, unsigned timeoutMs) override {
        pokes.emplace_back(item, text, timeoutMs);
        return true;
    }
    bool hostGone() override { return gone; }
    void disconnect() override { ++disconnects; }
};

inline std::vector<ScriptStep> steps(const std::vector<std::string>& lines) {
    std::vector<ScriptStep> out;
    for (const std::string& l : lines) {
        size_t sp = l.find(' ');
        std::string error;
        auto s = parseScriptStep(l.substr(0, sp), sp == std::string::npos ? "" : l.substr(sp + 1), error);
        EXPECT_TRUE(s) << l << ": " << error;
        if (s) out.push_back(*s);
    }
    return out;
}

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class AppTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    std::string savedConfig;
    bool hadConfig = false;
    std::unique_ptr<ScriptedPresenter> presenter;
    Presenter* previous = nullptr;
    bool installed = false;

    void SetUp() override {
        static int serial = 0;
        dir = std::filesystem::temp_directory_path() /
              ("lumbra-app-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(dir);
        if (const char* c = std::getenv("XDG_CONFIG_HOME")) hadConfig = true, savedConfig = c;
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        CChangeDrillToolsDialog::resetRemembered();
    }
    void TearDown() override {
        if (installed) setPresenter(previous);
        if (hadConfig)
            ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    static void writeMetric() {
        korvane::registry::RegKey k;
        ASSERT_TRUE(k.create(korvane::registry::Hive::CurrentUser, std::string(kProfileKey) + "\\Settings"));
        ASSERT_TRUE(k.setInteger("Metric", 1));
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    void script(const std::vector<std::string>& lines) {
        auto fresh = std::make_unique<ScriptedPresenter>(steps(lines));
        Presenter* before = setPresenter(fresh.get());
        if (!installed) previous = before, installed = true;
        presenter = std::move(fresh);
    }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> out;
        for (const auto& b : presenter->messageBoxes())
            out.push_back(b.request.text.str());
        return out;
    }
    std::string refusal() const { return presenter->refusal() ? *presenter->refusal() : std::string(); }
    static std::string pane(CLumbraApp& app, int index) {
        return app.frame().statusBar()->GetPaneText(index).str();
    }
    static std::string barText(CLumbraApp& app, int id) {
        CWnd* c = app.frame().findBarControl(id);
        return c ? c->GetWindowText().str() : std::string("<none>");
    }
};

} // namespace lumbra::apptest
