// Hadrel's sheet through the GUI presenter: widget events and the scripted replay give the same text,
// messages and help; both pages are drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Hadrel, SameTextThroughTheWidgets,
    testing::Values(GuiCase{"defaults", "Hadrel", {}, "+ R=1.430e+001 G=4.055e-003)\r\n.ENDS"},
                    GuiCase{"thick_strip_refused_then_mended",
                            "Hadrel",
                            {"set 2:9222=100u", "set 2:9224=12u", "ok", "set 2:9224=8u"},
                            "+ (LEN=3.000e-002 L=6.659e-007 C=1.635e-010\r\n"},
                    GuiCase{"help_on_both_pages",
                            "Hadrel",
                            {"help-button", "set 2:9221=45mm", "help-button"},
                            "* Conductor length \t\t\t\t= 4.500e+001 mm\r\n"},
                    GuiCase{"zero_thickness_echoed",
                            "Hadrel",
                            {"set 2:9224=0"},
                            "* Conductor thickness \t\t\t\t= 0.000e+000 mm\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Hadrel, EveryPageIsDrawn, testing::Values("Hadrel"));
INSTANTIATE_TEST_SUITE_P(Hadrel, NoTextIsClipped, testing::Values("Hadrel"));

} // namespace
