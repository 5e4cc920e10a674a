// Elvasco's sheet through the GUI presenter: widget events and the scripted replay give the same text,
// messages and help; both pages are drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(Elvasco, SameTextThroughTheWidgets,
                         testing::Values(GuiCase{"defaults", "Elvasco", {}, "Cb n3 0 3.452e-013\r\n"},
                                         GuiCase{"right_angle_and_help",
                                                 "Elvasco",
                                                 {"set 2:9222=90", "help-button"},
                                                 "La1 n1 n3 5.501e-011\r\n"},
                                         GuiCase{"no_bend_refused_then_mended",
                                                 "Elvasco",
                                                 {"set 2:9222=180", "ok", "set 2:9222=170"},
                                                 "* Bend angle \t\t\t\t\t= 1.700e+002 degr.\r\n"},
                                         GuiCase{"narrow_strip_refused_then_mended",
                                                 "Elvasco",
                                                 {"set 2:9221=50u", "ok", "set 2:9221=1.5mm"},
                                                 "* Stripline conductor width \t\t\t= 1.500e+000 mm\r\n"},
                                         GuiCase{"help_on_both_pages_and_zero_thickness",
                                                 "Elvasco",
                                                 {"help-button", "set 2:9224=0", "help-button"},
                                                 "* Conductor thickness \t\t\t\t= 0.000e+000 mm\r\n"}),
                         guiCaseName);

INSTANTIATE_TEST_SUITE_P(Elvasco, EveryPageIsDrawn, testing::Values("Elvasco"));
INSTANTIATE_TEST_SUITE_P(Elvasco, NoTextIsClipped, testing::Values("Elvasco"));

} // namespace
