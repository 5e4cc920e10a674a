// The view of a hidden run: no window at all; log lines go to standard output, messages to standard
// error.
#pragma once

#include "run.h"

#include <cstdio>

namespace zembric {

class ConsoleView final : public IRunView {
  public:
    explicit ConsoleView(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}
    void ShowLogLine(const std::string& line) override {
        std::fwrite(line.data(), 1, line.size(), out_);
        std::fputc('\n', out_);
        std::fflush(out_);
    }
    void ShowMessage(const std::string& text) override {
        std::fwrite(text.data(), 1, text.size(), err_);
        std::fputc('\n', err_);
        std::fflush(err_);
    }
    void SetWaitCursor(bool) override {}
    void PumpMessages() override {}

  private:
    std::FILE* out_;
    std::FILE* err_;
};

} // namespace zembric
