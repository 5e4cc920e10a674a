// CTandrelApp: one back-annotation pass (settings, log choice, action file, confirmation, applying).
#pragma once

#include "automation/automation.h"
#include "platform/resources.h"
#include "tandrel/layout_settings.h"

#include <string>

namespace tandrel {

// The schematic program's automation class identifier, unless another is configured.
constexpr const char* kSchematicClassId = "{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F35}";

// This program's resources: its strings and the confirmation window.
const ResourceModule& TandrelResources();

enum : unsigned { IDS_NO_INI = 1, IDS_APP_TITLE = 2, IDS_FILE_FILTER = 3 };

class CTandrelApp : public CWinApp {
  public:
    struct Options {
        std::string folder;                                  // where the ini files are looked for
        std::string schematicId = kSchematicClassId;         // class or programmatic identifier
        korvane::automation::Connector* connector = nullptr; // null: the session bus
        // How long each call to the schematic program may take (the session-bus connector only).
        std::chrono::milliseconds callTimeout = korvane::automation::kDefaultCallTimeout;
    };
    explicit CTandrelApp(Options options);

    // Runs the whole pass; returns 0 (a windowless program has no message loop to enter).
    int InitInstance() override;
    // 0 after a pass that completed or was cancelled; 1 when it ended on a failure (each failure is
    // shown in a message box, except a log library exception).
    int ExitCode() const { return exitCode_; }
    const LayoutSettings& Settings() const { return settings_; }

  private:
    void ProcessLog(const std::string& logPath);
    // Shows the message; the pass has failed.
    void Fail(const std::string& message);
    void ApplyActions();

    Options options_;
    LayoutSettings settings_;
    int exitCode_ = 0;
};

} // namespace tandrel
