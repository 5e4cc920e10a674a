// The GUI runner for maker tests: a step list done with toolkit events on the maker's widgets, as a
// person would, must give the same model text, message boxes and help requests as the same steps replayed
// by the scripted presenter. Each maker instantiates the two parameterised suites in its own tests/
// folder (see makers/testing/README.md).
#pragma once

#include "makertest/plugin.h"
#include "wxtesting/drive.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace makertest {

// What a run delivered, in comparable form.
struct Seen {
    int result = 0;
    std::string text;
    std::vector<std::string> boxes; // message box texts
    std::vector<std::string> helps; // "module context"
};

// The steps replayed by the scripted presenter.
Seen runScripted(const Plugin& plugin, const std::vector<std::string>& steps);

// The steps done on the widgets through the GUI presenter; questions are answered as the steps list them
// (No when they run out), as the scripted run does. `extra` then sees the window, still open; the window
// is ended with OK (Cancel if OK leaves it open).
Seen runWithWidgets(const Plugin& plugin, const std::vector<std::string>& steps,
                    const std::function<void(korvane::wx::WindowView&)>& extra = nullptr);

// One case of SameTextThroughTheWidgets.
struct GuiCase {
    const char* name;        // the test's name
    const char* deliverable; // the plug-in's file name without ".so"
    std::vector<std::string> steps;
    const char* expected; // a line the steps must have produced
};
void PrintTo(const GuiCase& c, std::ostream* os);
std::string guiCaseName(const testing::TestParamInfo<GuiCase>& info);

class SameTextThroughTheWidgets : public testing::TestWithParam<GuiCase> {};

// Every page of the maker's window is drawn: a screenshot of each is written to
// $KORVANE_ARTIFACTS/<deliverable in lower case>-page<N>.png and must not be of one colour.
// The parameter is the deliverable.
class EveryPageIsDrawn : public testing::TestWithParam<const char*> {};

// The texts of the page in front that do not fit their control, one description each: a value wider
// than its box's text area, a one-line label or button caption wider than its rectangle. Controls not
// on the screen are skipped.
std::vector<std::string> clippedTexts(korvane::wx::WindowView& v);

// On every page of the maker's window, with the defaults, no value, label or caption is clipped.
// The parameter is the deliverable.
class NoTextIsClipped : public testing::TestWithParam<const char*> {};

} // namespace makertest
