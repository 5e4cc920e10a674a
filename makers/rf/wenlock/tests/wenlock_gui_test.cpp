// Wenlock's sheet through the GUI presenter: widget events and the scripted replay give the same text,
// questions (answered both ways), messages and help; both pages are drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Wenlock, SameTextThroughTheWidgets,
    testing::Values(GuiCase{"defaults", "Wenlock", {}, "+ R=7.160e+002 G=3.503e-002) \r\n.ENDS"},
                    GuiCase{"width_question_yes_then_no",
                            "Wenlock",
                            {"set 2:9222=30u", "answer yes", "ok", "answer no"},
                            "* Conductor width \t\t\t\t= 3.000e-002 mm \r\n"},
                    GuiCase{"both_questions_no_and_help",
                            "Wenlock",
                            {"set 1:9221=200", "set 2:9222=30u", "answer no", "answer no", "help-button"},
                            "* Relative dielectric constant \t\t\t= 2.000e+002 \r\n"},
                    GuiCase{"permittivity_one_refused_then_mended",
                            "Wenlock",
                            {"set 1:9221=1", "answer no", "ok", "set 1:9221=2.2", "answer no"},
                            "* Relative dielectric constant \t\t\t= 2.200e+000 \r\n"},
                    GuiCase{"help_on_both_pages_and_zero_thickness",
                            "Wenlock",
                            {"help-button", "set 2:9224=0", "help-button"},
                            "* Conductor thickness \t\t\t\t= 0.000e+000 mm \r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Wenlock, EveryPageIsDrawn, testing::Values("Wenlock"));
INSTANTIATE_TEST_SUITE_P(Wenlock, NoTextIsClipped, testing::Values("Wenlock"));

} // namespace
