// Orsolan's sheet through the GUI presenter: widget events and the scripted replay give the same text,
// the same refusal and help; both pages are drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

INSTANTIATE_TEST_SUITE_P(Orsolan, SameTextThroughTheWidgets,
                         testing::Values(GuiCase{"defaults", "Orsolan", {}, "L 3 inner 1.942e-008\r\n"},
                                         GuiCase{"diameters_refused_then_corrected",
                                                 "Orsolan",
                                                 {"help-button", "set 2:9222=6mm", "ok", "set 2:9222=2mm",
                                                  "set 1:9224=1p", "help-button"},
                                                 "C1 outer 0 1.000e-012\r\n"}),
                         guiCaseName);

INSTANTIATE_TEST_SUITE_P(Orsolan, EveryPageIsDrawn, testing::Values("Orsolan"));

} // namespace
