// The editor's settings in the user's registry profile.
#pragma once

#include "platform/mainwindow.h"

#include <optional>
#include <string>
#include <vector>

namespace lumbra {

inline constexpr const char* kProfileKey = "Software\\Tarnell Software\\Lumbra 1.3";

struct LumbraSettings {
    std::string width = "0.02000"; // as the property bar shows it, in the display unit
    int tool = 0;
    int polarity = 1;
    int metric = 0;
    std::optional<WindowPlacement> placement;
    std::vector<BarState> bars;
    std::vector<std::string> recentFiles; // most recent first
};

// Missing or unreadable values keep their defaults.
LumbraSettings loadSettings();
// Width, tool, polarity and metric (the values the frame keeps).
bool saveFrameSettings(const LumbraSettings& s);
bool saveWindowPlacement(const WindowPlacement& p);
bool saveBarStates(const std::vector<BarState>& bars);
bool saveRecentFiles(const std::vector<std::string>& files);

// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show command, minimised x and y, maximised x and y, normal
// rectangle. Anything but exactly ten numbers gives nothing.
std::optional<WindowPlacement> parseWindowPos(const std::string& text);
std::string formatWindowPos(const WindowPlacement& p);

} // namespace lumbra
