// Paldrin's sheet through the GUI presenter: widget events and the scripted replay give the same text,
// questions and help; both pages are drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(Paldrin, SameTextThroughTheWidgets,
                         testing::Values(GuiCase{"defaults", "Paldrin", {}, "C in 3 1.769e-011\r\n"},
                                         GuiCase{"question_declined_then_accepted",
                                                 "Paldrin",
                                                 {"set 2:9228=2mm", "answer no", "ok", "answer yes",
                                                  "set 2:9221=12", "help-button"},
                                                 "* Number of fingers \t\t\t\t= 12       \r\n"},
                                         GuiCase{"zero_spacing_refused",
                                                 "Paldrin",
                                                 {"set 2:9225=0", "ok", "set 2:9225=2um"},
                                                 "* Space between fingers \t\t\t= 2.000e+000 um\r\n"}),
                         guiCaseName);

INSTANTIATE_TEST_SUITE_P(Paldrin, EveryPageIsDrawn, testing::Values("Paldrin"));

} // namespace
