// Loads a built maker plug-in the way the host does and runs it with scripted user steps, so that
// tests see exactly what the host would get.
#pragma once

#include "platform/cstring.h"
#include "platform/plugin.h"
#include "platform/scripted.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace makertest {

struct Outcome {
    int result = 0;   // what CreateModelMaker returned
    std::string text; // the host's string afterwards
    std::vector<RecordedMessageBox> boxes;
    std::vector<HelpRequest> helps;
    std::optional<std::string> refusal;
};

class Plugin {
  public:
    // `deliverable` is the file name without ".so" in the build's plug-in folder.
    explicit Plugin(const std::string& deliverable);
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    bool loaded() const { return plugin_.loaded(); }
    const std::string& error() const { return plugin_.error(); }
    CString name() const;
    // Runs CreateModelMaker with steps written as in a host script ("set 9202=2", "click 501", …),
    // starting from `initialText` in the host's string.
    // `inspect` sees the window after every step.
    using Inspector = std::function<void(CModalWindow&, const ScriptStep&)>;
    Outcome run(const std::vector<std::string>& steps, const std::string& initialText = "",
                Inspector inspect = {}) const;

  private:
    korvane::MakerPlugin plugin_;
};

// Parses "verb argument" lines into steps; throws std::invalid_argument on a malformed one.
std::vector<ScriptStep> steps(const std::vector<std::string>& lines);

} // namespace makertest
