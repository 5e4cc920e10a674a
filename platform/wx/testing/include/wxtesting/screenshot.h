// Screenshots for GUI tests: what the toolkit draws for a window, saved as PNG beside the build, and
// refused when nothing was drawn.
#pragma once

#include "wxpresenter/wxpresenter.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include <string>
#include <vector>

namespace wxtesting {

// What the toolkit draws for a window now (its pending layout and paints done first). Drawn off the
// screen, so that no other window can cover it. A top-level window is drawn as its client area.
wxImage capture(wxWindow* window);
inline wxImage capture(const korvane::wx::WindowView& view) {
    return capture(view.clientArea());
}

// The number of distinct colours of an image, counted up to `limit`.
int distinctColours(const wxImage& image, int limit = 2);

// Where screenshots go: $KORVANE_ARTIFACTS (created when missing), else the working folder.
std::string artefactPath(const std::string& name);

// Saves a screenshot as PNG under artefactPath(name). Fails when the image is empty or of one colour
// (nothing was drawn) or cannot be written; the image is saved in any case, to be looked at.
testing::AssertionResult saveScreenshot(const wxImage& image, const std::string& name);

// Every text shown under `root` that does not fit its control: a one-line field's value, the caption of
// a label, button, radio button or check box. Each entry says which text, what it needs and what it has.
std::vector<std::string> clippedTexts(wxWindow* root);

} // namespace wxtesting
