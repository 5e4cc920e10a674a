// What maker tests share besides the plug-in loader: a pinned date for byte-exact texts, the CR LF
// splitter, and the boxes and controls of an open sheet or dialog by page and control ID.
#pragma once

#include "library/unitbox.h"
#include "platform/window.h"

#include <string>
#include <vector>

namespace makertest {

// While it lives, local time is UTC and the clock reads `epoch` (SOURCE_DATE_EPOCH), so the date
// line of a model text is known. The default is Monday, December 08, 2025.
class PinnedDate {
  public:
    explicit PinnedDate(const char* epoch = "1765152000");
    ~PinnedDate();
    PinnedDate(const PinnedDate&) = delete;
    PinnedDate& operator=(const PinnedDate&) = delete;
};

// The lines of a text whose lines end in CR LF (the last line may lack it).
std::vector<std::string> crlfLines(const std::string& text);

// Control `id` of page `page` (from 1) of a sheet, or of the dialog itself when the window is a dialog
// (the page is then ignored); null when there is none.
CWnd* item(CModalWindow& window, int page, int id);
// The value box that took over edit control `editId`; fails the test when there is none.
CUserDefValueSpinUnitBox& box(CModalWindow& window, int page, int editId);

} // namespace makertest
