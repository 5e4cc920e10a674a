// Loading the GUI stack on demand: nothing is loaded without a display, a missing module is named, and
// a display that cannot be opened is reported, not taken for a window.
#include "guistack/gui_stack.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets (or unsets, with nullopt) an environment variable for the life of the object.
class EnvVar {
  public:
    EnvVar(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

bool toolkitLoaded() {
    void* h = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

TEST(GuiStack, WithoutADisplayNothingIsLoaded) {
    EnvVar x("DISPLAY", std::nullopt), wayland("WAYLAND_DISPLAY", std::nullopt);
    EXPECT_FALSE(korvane::gui::displayNamed());
    korvane::gui::Session session;
    EXPECT_FALSE(session.open("gui_stack_test"));
    EXPECT_EQ(session.presenter(), nullptr);
    EXPECT_NE(session.reason().find("no display"), std::string::npos) << session.reason();
    EXPECT_FALSE(toolkitLoaded());
}

TEST(GuiStack, AMissingModuleIsNamed) {
    std::string error;
    EXPECT_EQ(korvane::gui::openModule("libkorvane_no_such_module.so", error), nullptr);
    EXPECT_NE(error.find("libkorvane_no_such_module.so"), std::string::npos) << error;
}

TEST(GuiStack, ADisplayThatCannotBeOpenedIsReported) {
    // A named display that does not exist: the toolkit is loaded, refuses it, and no presenter results.
    EnvVar x("DISPLAY", ":97531"), wayland("WAYLAND_DISPLAY", std::nullopt);
    EXPECT_TRUE(korvane::gui::displayNamed());
    korvane::gui::Session session;
    EXPECT_FALSE(session.open("gui_stack_test"));
    EXPECT_EQ(session.presenter(), nullptr);
    EXPECT_EQ(session.reason(), "the display cannot be opened");
    session.close(); // nothing to end: must not touch the toolkit
}

} // namespace
