// Small helpers shared by the tests: temporary files and the recording message sink.
#pragma once

#include "lumbra/messages.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace lumbra::testing {

inline std::string tempPath(const std::string& stem) {
    static int serial = 0;
    return "/tmp/lumbra-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + "-" + stem;
}

inline std::string writeTemp(const std::string& stem, const std::string& text) {
    std::string p = tempPath(stem);
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class RecordingMessages : public EditorMessages {
  public:
    std::vector<std::string> questions, messages;
    std::vector<Beep> beeps;
    std::vector<bool> answers; // consumed in order; No when exhausted
    bool askYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back(caption + "|" + text);
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void beep(Beep b) override { beeps.push_back(b); }
};

class ScriptedChooser : public ApertureChooser {
  public:
    int answer = 0;
    int calls = 0;
    std::size_t rowsSeen = 0;
    int choose(const std::vector<ApertureCatalogEntry>& c) override {
        ++calls;
        rowsSeen = c.size();
        return answer;
    }
};

} // namespace lumbra::testing
