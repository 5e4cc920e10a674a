// Tavrish's dialog through the GUI presenter: widget events and the scripted replay give the same card,
// the same OK-only messages and help; the dialog is drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(Tavrish, SameTextThroughTheWidgets,
                         testing::Values(GuiCase{"defaults", "Tavrish", {}, "+ R=6.238e-001)\r\n"},
                                         GuiCase{"refused_then_corrected",
                                                 "Tavrish",
                                                 {"help-button", "set 9206=0.34", "ok", "set 9206=13.5",
                                                  "set 9208=500M"},
                                                 "* Operating frequency\t\t\t\t= 5.000e+002 MHz\r\n"}),
                         guiCaseName);

INSTANTIATE_TEST_SUITE_P(Tavrish, EveryPageIsDrawn, testing::Values("Tavrish"));

} // namespace
