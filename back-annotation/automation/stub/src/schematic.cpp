#include "schematicstub/schematic.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace korvane::schematic_stub {

bool validName(std::string_view s) {
    return !s.empty() && std::none_of(s.begin(), s.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F;
    });
}

std::string formatReal(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

bool Component::hasPin(std::string_view pin) const {
    return std::find(pins.begin(), pins.end(), pin) != pins.end();
}

const Section* Component::section(std::string_view n) const {
    for (const auto& s : sections)
        if (s.name == n) return &s;
    return nullptr;
}

Component* Schematic::component(std::string_view designator) {
    for (auto& c : components_)
        if (c.designator == designator) return &c;
    return nullptr;
}

Component* Schematic::componentByHandle(std::int32_t handle) {
    for (auto& c : components_)
        if (c.handle == handle) return &c;
    return nullptr;
}

Net* Schematic::net(std::string_view name) {
    for (auto& n : nets_)
        if (n.name == name) return &n;
    return nullptr;
}

Net* Schematic::netByHandle(std::int32_t handle) {
    for (auto& n : nets_)
        if (n.handle == handle) return &n;
    return nullptr;
}

Net* Schematic::netOf(std::int32_t comp, std::string_view pin) {
    for (auto& n : nets_)
        for (const auto& m : n.members)
            if (m.component == comp && m.pin == pin) return &n;
    return nullptr;
}

Component& Schematic::addComponent(std::string designator, std::string package) {
    Component c;
    c.handle = nextComponent_++;
    c.designator = std::move(designator);
    c.package = std::move(package);
    return components_.emplace_back(std::move(c));
}

Net& Schematic::addNet(std::string name, double width) {
    Net n;
    n.handle = nextNet_++;
    n.name = std::move(name);
    n.width = width;
    return nets_.emplace_back(std::move(n));
}

void Schematic::removeComponent(std::int32_t handle) {
    for (auto& n : nets_)
        std::erase_if(n.members, [&](const Member& m) { return m.component == handle; });
    std::erase_if(components_, [&](const Component& c) { return c.handle == handle; });
}

namespace {

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

} // namespace

bool Schematic::parse(std::string_view text, std::string& error) {
    *this = Schematic();
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        *this = Schematic();
        return false;
    };
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        ++lineNo;
        auto t = tokens(line);
        if (t.empty() || t[0].front() == '#') continue;
        for (auto tok : t)
            if (!validName(tok)) return fail("control character in the line");
        std::string_view kind = t[0];
        if (kind == "component") {
            if (t.size() != 3) return fail("expected: component <designator> <package>");
            if (component(t[1])) return fail("component " + std::string(t[1]) + " declared twice");
            addComponent(std::string(t[1]), std::string(t[2]));
        } else if (kind == "pins" || kind == "section") {
            std::size_t first = kind == "pins" ? 2 : 3;
            if (t.size() < first)
                return fail("expected: " + std::string(kind) + " <designator>" +
                            (kind == "section" ? " <name>" : "") + " <pin>...");
            Component* c = component(t[1]);
            if (!c) return fail("unknown component " + std::string(t[1]));
            Section* sec = nullptr;
            if (kind == "section") {
                if (c->section(t[2])) return fail("section " + std::string(t[2]) + " declared twice");
                sec = &c->sections.emplace_back(Section{std::string(t[2]), {}});
            }
            for (std::size_t i = first; i < t.size(); ++i) {
                if (c->hasPin(t[i])) return fail("pin " + std::string(t[i]) + " declared twice");
                c->pins.emplace_back(t[i]);
                if (sec) sec->pins.emplace_back(t[i]);
            }
        } else if (kind == "net") {
            if (t.size() < 3 || t.size() % 2 == 0)
                return fail("expected: net <name> <width> followed by <designator> <pin> pairs");
            if (net(t[1])) return fail("net " + std::string(t[1]) + " declared twice");
            double width = 0;
            auto [p, ec] = std::from_chars(t[2].data(), t[2].data() + t[2].size(), width);
            if (ec != std::errc() || p != t[2].data() + t[2].size() || !std::isfinite(width) || width < 0)
                return fail("width " + std::string(t[2]) + " is not a number of 0 or more");
            Net& n = addNet(std::string(t[1]), width);
            for (std::size_t i = 3; i < t.size(); i += 2) {
                Component* c = component(t[i]);
                if (!c || !c->hasPin(t[i + 1]))
                    return fail("no pin " + std::string(t[i + 1]) + " on component " + std::string(t[i]));
                if (netOf(c->handle, t[i + 1]))
                    return fail("pin " + std::string(t[i]) + " " + std::string(t[i + 1]) + " is on two nets");
                n.members.push_back(Member{c->handle, std::string(t[i + 1])});
            }
        } else {
            return fail("unknown line kind " + std::string(kind));
        }
    }
    return true;
}

std::string Schematic::write() const {
    std::string out;
    for (const auto& c : components_) {
        out += "component " + c.designator + " " + c.package + "\n";
        std::string loose;
        for (const auto& p : c.pins) {
            bool inSection = std::any_of(c.sections.begin(), c.sections.end(), [&](const Section& s) {
                return std::find(s.pins.begin(), s.pins.end(), p) != s.pins.end();
            });
            if (!inSection) loose += " " + p;
        }
        if (!loose.empty()) out += "pins " + c.designator + loose + "\n";
        for (const auto& s : c.sections) {
            out += "section " + c.designator + " " + s.name;
            for (const auto& p : s.pins)
                out += " " + p;
            out += "\n";
        }
    }
    for (const auto& n : nets_) {
        out += "net " + n.name + " " + formatReal(n.width);
        for (const auto& m : n.members) {
            auto it = std::find_if(components_.begin(), components_.end(),
                                   [&](const Component& c) { return c.handle == m.component; });
            if (it != components_.end()) out += " " + it->designator + " " + m.pin;
        }
        out += "\n";
    }
    return out;
}

} // namespace korvane::schematic_stub
