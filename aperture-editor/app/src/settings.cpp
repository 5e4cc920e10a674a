#include "lumbraapp/settings.h"

#include "platform/format.h"
#include "registry/registry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace lumbra {

using korvane::registry::Hive;
using korvane::registry::RegKey;

namespace {

std::string section(const char* name) {
    return std::string(kProfileKey) + "\\" + name;
}

int queryInt(const RegKey& k, const char* name, int fallback) {
    std::int64_t v = 0;
    if (!k.queryInteger(name, v) || v < INT_MIN || v > INT_MAX) return fallback;
    return static_cast<int>(v);
}

const char* dockName(DockSide d) {
    switch (d) {
    case DockSide::Top:
        return "top";
    case DockSide::Bottom:
        return "bottom";
    case DockSide::Left:
        return "left";
    case DockSide::Right:
        return "right";
    case DockSide::Floating:
        return "floating";
    }
    return "top";
}

std::optional<DockSide> dockFromName(const std::string& s) {
    for (DockSide d : {DockSide::Top, DockSide::Bottom, DockSide::Left, DockSide::Right, DockSide::Floating})
        if (s == dockName(d)) return d;
    return std::nullopt;
}

} // namespace

std::optional<WindowPlacement> parseWindowPos(const std::string& text) {
    long long v[10];
    const char* p = text.c_str();
    for (int i = 0; i < 10; ++i) {
        while (*p == ' ')
            ++p;
        char* end = nullptr;
        errno = 0;
        v[i] = std::strtoll(p, &end, 10);
        if (end == p || errno == ERANGE || v[i] < INT_MIN || v[i] > (i < 2 ? UINT_MAX : INT_MAX))
            return std::nullopt;
        if (i < 2 && v[i] < 0) return std::nullopt;
        p = end;
        while (*p == ' ')
            ++p;
        if (i < 9) {
            if (*p != ',') return std::nullopt;
            ++p;
        }
    }
    if (*p) return std::nullopt; // an eleventh value or trailing text
    WindowPlacement w;
    w.flags = static_cast<UINT>(v[0]);
    w.showCmd = static_cast<UINT>(v[1]);
    w.minX = static_cast<int>(v[2]);
    w.minY = static_cast<int>(v[3]);
    w.maxX = static_cast<int>(v[4]);
    w.maxY = static_cast<int>(v[5]);
    w.left = static_cast<int>(v[6]);
    w.top = static_cast<int>(v[7]);
    w.right = static_cast<int>(v[8]);
    w.bottom = static_cast<int>(v[9]);
    return w;
}

std::string formatWindowPos(const WindowPlacement& p) {
    return korvane::format("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX,
                           p.maxY, p.left, p.top, p.right, p.bottom);
}

LumbraSettings loadSettings() {
    LumbraSettings s;
    RegKey k;
    if (k.open(Hive::CurrentUser, section("Settings"))) {
        std::string text;
        if (k.queryString("Width", text)) s.width = text;
        s.tool = queryInt(k, "Tool", s.tool);
        s.polarity = queryInt(k, "Polarity", s.polarity);
        s.metric = queryInt(k, "Metric", s.metric);
        if (k.queryString("WindowPos", text)) s.placement = parseWindowPos(text);
    }
    RegKey bars;
    if (bars.open(Hive::CurrentUser, section("Toolbar"))) {
        std::string name;
        korvane::registry::ValueType type;
        for (std::size_t i = 0; bars.enumValue(i, name, type); ++i) {
            // "Bar<id>" = "<visible>,<dock>"
            std::string text;
            if (name.rfind("Bar", 0) != 0 || !bars.queryString(name, text)) continue;
            char* end = nullptr;
            long id = std::strtol(name.c_str() + 3, &end, 10);
            size_t comma = text.find(',');
            if (*end || id <= 0 || id > INT_MAX || comma == std::string::npos) continue;
            auto dock = dockFromName(text.substr(comma + 1));
            std::string visible = text.substr(0, comma);
            if (!dock || (visible != "0" && visible != "1")) continue;
            s.bars.push_back({static_cast<int>(id), visible == "1", *dock});
        }
    }
    RegKey recent;
    if (recent.open(Hive::CurrentUser, section("Recent File List"))) {
        for (int i = 1; i <= 4; ++i) {
            std::string path;
            if (recent.queryString(korvane::format("File%d", i), path) && !path.empty())
                s.recentFiles.push_back(path);
        }
    }
    return s;
}

bool saveFrameSettings(const LumbraSettings& s) {
    RegKey k;
    return k.create(Hive::CurrentUser, section("Settings")) && k.setString("Width", s.width) &&
           k.setInteger("Tool", s.tool) && k.setInteger("Polarity", s.polarity) &&
           k.setInteger("Metric", s.metric);
}

bool saveWindowPlacement(const WindowPlacement& p) {
    RegKey k;
    return k.create(Hive::CurrentUser, section("Settings")) && k.setString("WindowPos", formatWindowPos(p));
}

bool saveBarStates(const std::vector<BarState>& bars) {
    RegKey k;
    if (!k.create(Hive::CurrentUser, section("Toolbar"))) return false;
    bool ok = true;
    for (const BarState& b : bars)
        ok = k.setString(korvane::format("Bar%d", b.barId),
                         korvane::format("%d,%s", b.visible ? 1 : 0, dockName(b.dock))) &&
             ok;
    return ok;
}

bool saveRecentFiles(const std::vector<std::string>& files) {
    RegKey k;
    if (!k.create(Hive::CurrentUser, section("Recent File List"))) return false;
    bool ok = true;
    for (int i = 1; i <= 4; ++i) {
        size_t at = static_cast<size_t>(i - 1);
        std::string name = korvane::format("File%d", i);
        ok = (at < files.size() ? k.setString(name, files[at]) : (k.deleteValue(name), true)) && ok;
    }
    return ok;
}

} // namespace lumbra
