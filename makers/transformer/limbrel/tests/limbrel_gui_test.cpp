// Limbrel's dialog through the GUI presenter: widget events and the scripted replay give the same text
// and help; the dialog is drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Limbrel, SameTextThroughTheWidgets,
    testing::Values(
        GuiCase{"defaults", "Limbrel", {}, "L2  31 4 7.572e-002\r\nK1  L1 L2 9.985e-001\r\n.ENDS\r\n\r\n"},
        GuiCase{"typed_values",
                "Limbrel",
                {"set 9201=3", "set 9204=10", "set 9205=2"},
                "Rs1 1 11 1.000e+001\r\nRl2 31 3 2.000e+000\r\n"},
        GuiCase{"prefixed_inductances_and_help",
                "Limbrel",
                {"help-button", "set 9202=2m", "set 9203=500m"},
                "L1  11 2 5.010e-001\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Limbrel, EveryPageIsDrawn, testing::Values("Limbrel"));
INSTANTIATE_TEST_SUITE_P(Limbrel, NoTextIsClipped, testing::Values("Limbrel"));

} // namespace
