// The stand-in schematic: components (designator, package, pins, sections of pins) and nets (name,
// width, member pins), read from and written to a plain text file described in the folder README.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::schematic_stub {

struct Section {
    std::string name;
    std::vector<std::string> pins;
};

struct Component {
    std::int32_t handle = 0; // fixed for the run, never reused
    std::string designator;
    std::string package;
    std::vector<std::string> pins; // every pin, in order of declaration
    std::vector<Section> sections;

    bool hasPin(std::string_view pin) const;
    const Section* section(std::string_view name) const;
};

struct Member {
    std::int32_t component = 0; // handle
    std::string pin;
    friend bool operator==(const Member&, const Member&) = default;
};

struct Net {
    std::int32_t handle = 0;
    std::string name;
    double width = 0;
    std::vector<Member> members;
};

class Schematic {
  public:
    // Reads the text; on failure returns false with "line N: what" in error and leaves *this empty.
    bool parse(std::string_view text, std::string& error);
    std::string write() const;

    Component* component(std::string_view designator);
    Component* componentByHandle(std::int32_t handle);
    Net* net(std::string_view name);
    Net* netByHandle(std::int32_t handle);
    // The net a pin is on, or nullptr.
    Net* netOf(std::int32_t component, std::string_view pin);

    Component& addComponent(std::string designator, std::string package);
    Net& addNet(std::string name, double width);
    void removeComponent(std::int32_t handle);

    const std::vector<Component>& components() const { return components_; }
    const std::vector<Net>& nets() const { return nets_; }

  private:
    std::vector<Component> components_;
    std::vector<Net> nets_;
    std::int32_t nextComponent_ = 1;
    std::int32_t nextNet_ = 1;
};

// A designator, package, net, section or pin name: not empty, no blanks or control bytes.
bool validName(std::string_view s);

// Shortest text that reads back as the same double.
std::string formatReal(double v);

} // namespace korvane::schematic_stub
