// Gastor's dialog through the GUI presenter: widget events and the scripted replay give the same text
// and help; the dialog is drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Gastor, SameTextThroughTheWidgets,
    testing::Values(GuiCase{"defaults", "Gastor", {}, "K23  L2 L3 9.985e-001\r\n.ENDS\r\n\r\n"},
                    GuiCase{"typed_values_and_help",
                            "Gastor",
                            {"set 9201=0.5", "set 9202=1m", "set 9205=2.5", "help-button"},
                            "Rl3 41 4 2.500e+000\r\n"},
                    GuiCase{"help_twice",
                            "Gastor",
                            {"help-button", "set 9204=1k", "help-button"},
                            "Rs1 1 11 1.000e+003\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Gastor, EveryPageIsDrawn, testing::Values("Gastor"));
INSTANTIATE_TEST_SUITE_P(Gastor, NoTextIsClipped, testing::Values("Gastor"));

} // namespace
